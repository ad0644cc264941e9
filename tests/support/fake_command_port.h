#pragma once

// The deck command port of the deck, remote and window tests and of the fuzz targets: it
// records every frame and answers from a reply function (no reply unless one is set).
// Header-only: it needs the deck and serial layers, which only those programs link.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "deck/protocol.h"
#include "serial/command_port.h"

namespace vemo::test {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
Bytes bytesOf(const std::array<std::uint8_t, N>& frame) {
    return Bytes(frame.begin(), frame.end());
}

// A deck's reply: the bytes given and their checksum.
inline Bytes withChecksum(Bytes bytes) {
    bytes.push_back(deck::protocol::checksum(bytes.data(), bytes.size()));
    return bytes;
}

// An exchange that took these bytes (the port's buffer holds the first 16).
inline serial::ExchangeResult replyOf(const Bytes& bytes) {
    serial::ExchangeResult r;
    std::copy_n(bytes.begin(), std::min(bytes.size(), r.bytes.size()), r.bytes.begin());
    r.count = static_cast<int>(bytes.size());
    return r;
}

class FakeCommandPort : public serial::CommandPort {
  public:
    using Reply = std::function<serial::ExchangeResult(const Bytes& frame)>;

    std::atomic<bool> serialPort{true};    // hasSerialPort()
    std::atomic<bool> outputStream{true};  // hasOutputStream()

    // One exchange at a time, as on the real port; the reply count is kept to 0-16.
    serial::ExchangeResult SendSerial(const std::uint8_t* frame, std::size_t size) override {
        Bytes f(frame, frame + size);
        std::function<void(const Bytes&)> hook;
        serial::ExchangeResult r;
        {
            std::lock_guard<std::mutex> exchange(exchange_);
            Reply reply;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                frames_.push_back(f);
                reply = reply_;
                hook = onFrame_;
            }
            if (reply)
                r = reply(f);
            r.count = std::clamp(r.count, 0, static_cast<int>(serial::ExchangeResult::kSize));
        }
        if (hook)
            hook(f);
        return r;
    }
    bool hasSerialPort() const override { return serialPort; }
    bool hasOutputStream() const override { return outputStream; }

    void setReply(Reply reply) {
        std::lock_guard<std::mutex> lock(mutex_);
        reply_ = std::move(reply);
    }
    // Answers every frame with the same bytes.
    void replyAlways(const Bytes& bytes) {
        setReply([bytes](const Bytes&) { return replyOf(bytes); });
    }
    // Called after every exchange, outside the port's locks.
    void setOnFrame(std::function<void(const Bytes&)> hook) {
        std::lock_guard<std::mutex> lock(mutex_);
        onFrame_ = std::move(hook);
    }

    std::vector<Bytes> frames() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }
    // The frames other than the polling thread's time-code and status requests.
    std::vector<Bytes> commands() const {
        std::vector<Bytes> out;
        for (auto& f : frames()) {
            if (f != bytesOf(deck::protocol::bsgettc) && f != bytesOf(deck::protocol::bsstatus))
                out.push_back(f);
        }
        return out;
    }
    int count(const Bytes& frame) const {
        auto all = frames();
        return static_cast<int>(std::count(all.begin(), all.end(), frame));
    }
    bool sent(const Bytes& frame) const { return count(frame) > 0; }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        frames_.clear();
    }

  private:
    std::mutex exchange_;  // held for a whole exchange
    mutable std::mutex mutex_;
    std::vector<Bytes> frames_;
    Reply reply_;
    std::function<void(const Bytes&)> onFrame_;
};

// A deck that answers the time-sense frame with a time-data reply for the given BCD time
// code (frames, seconds, minutes, hours), the status-sense frame with statusByte as its
// cue/play byte, and acknowledges every other frame.
inline FakeCommandPort::Reply pollingDeck(Bytes bcdTime, std::uint8_t statusByte) {
    return [bcdTime, statusByte](const Bytes& frame) {
        if (frame == bytesOf(deck::protocol::bsgettc))
            return replyOf(
                withChecksum({0x74, 0x04, bcdTime[0], bcdTime[1], bcdTime[2], bcdTime[3]}));
        if (frame == bytesOf(deck::protocol::bsstatus))
            return replyOf(withChecksum({0x79, 0x20, 0x00, 0x20, statusByte, 0, 0, 0, 0, 0, 0}));
        return replyOf({0x10, 0x01, 0x11});
    };
}

}  // namespace vemo::test
