#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "deck/protocol.h"
#include "serial/command_port.h"

namespace vemo::test {

using Bytes = std::vector<std::uint8_t>;

// A deck command port that records every frame sent and answers from a reply function
// (no reply at all unless one is set).
class FakeCommandPort : public serial::CommandPort {
  public:
    using Reply = std::function<serial::ExchangeResult(const Bytes& frame)>;

    serial::ExchangeResult SendSerial(const std::uint8_t* frame, std::size_t size) override {
        Bytes bytes(frame, frame + size);
        Reply reply;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            frames_.push_back(bytes);
            reply = reply_;
        }
        serial::ExchangeResult result = reply ? reply(bytes) : serial::ExchangeResult{};
        std::lock_guard<std::mutex> lock(mutex_);
        count_ = result.count;
        return result;
    }
    int SerCount() const override {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }
    bool hasSerialPort() const override { return true; }
    bool hasOutputStream() const override { return true; }

    void setReply(Reply reply) {
        std::lock_guard<std::mutex> lock(mutex_);
        reply_ = std::move(reply);
    }
    std::vector<Bytes> frames() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        frames_.clear();
    }
    bool sent(const Bytes& frame) const {
        for (const Bytes& f : frames()) {
            if (f == frame)
                return true;
        }
        return false;
    }

    // A reply of the given bytes.
    static serial::ExchangeResult answer(const Bytes& bytes) {
        serial::ExchangeResult r;
        for (std::size_t i = 0; i < bytes.size() && i < r.bytes.size(); ++i)
            r.bytes[i] = bytes[i];
        r.count = static_cast<int>(bytes.size());
        return r;
    }

    // A reply of the given bytes followed by their checksum.
    static serial::ExchangeResult answerChecked(Bytes bytes) {
        std::uint8_t sum = 0;
        for (std::uint8_t b : bytes)
            sum = static_cast<std::uint8_t>(sum + b);
        bytes.push_back(sum);
        return answer(bytes);
    }

    // A deck that answers the time-sense frame with a time-data reply for the given BCD time
    // code (frames, seconds, minutes, hours) and the status-sense frame with statusByte as
    // its cue/play byte; nothing else.
    static Reply pollingDeck(Bytes bcdTime, std::uint8_t statusByte) {
        return [bcdTime, statusByte](const Bytes& frame) {
            if (frame == Bytes(deck::protocol::bsgettc.begin(), deck::protocol::bsgettc.end()))
                return answerChecked({0x74, 0x04, bcdTime[0], bcdTime[1], bcdTime[2], bcdTime[3]});
            if (frame == Bytes(deck::protocol::bsstatus.begin(), deck::protocol::bsstatus.end()))
                return answerChecked({0x79, 0x20, 0x00, 0x20, statusByte, 0, 0, 0, 0, 0, 0});
            return serial::ExchangeResult{};
        };
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Bytes> frames_;
    Reply reply_;
    int count_ = 0;
};

}  // namespace vemo::test
