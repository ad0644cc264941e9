#pragma once

// Test doubles for the remote-control tests: a deck model behind the shared fake command port,
// and a network client that records replies.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "deck/local_vcr.h"
#include "deck/protocol.h"
#include "support/fake_command_port.h"

namespace vemo::remote::test {

using vemo::test::Bytes;
using vemo::test::bytesOf;

// A deck that answers time sense and status sense. Its position moves while it plays, a
// number of frames per time-code read, so reviews reach their out point quickly; a cue frame
// puts it at the cue point and reports the cue complete.
class FakeDeck : public vemo::test::FakeCommandPort {
  public:
    explicit FakeDeck(int startFrames = 0, int framesPerRead = 0)
        : position_(startFrames), step_(framesPerRead) {
        setReply([this](const Bytes& f) { return answer(f); });
    }

    std::atomic<bool> silent{false};  // takes frames but answers none (a pulled deck)

    template <std::size_t N>
    int countOf(const deck::protocol::Frame<N>& f) const {
        return count(bytesOf(f));
    }
    bool sawCue() const {
        for (const Bytes& f : commands()) {
            if (f.size() == 7 && f[0] == 0x24 && f[1] == 0x31)
                return true;
        }
        return false;
    }
    int position() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return position_;
    }
    // Positions at which a stop frame arrived.
    std::vector<int> stopPositions() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return stops_;
    }

  private:
    serial::ExchangeResult answer(const Bytes& f) {
        serial::ExchangeResult r;
        if (silent.load())
            return r;
        std::lock_guard<std::mutex> lock(mutex_);
        if (f == bytesOf(deck::protocol::bsgettc)) {
            if (playing_)
                position_ += step_;
            r = timeData(position_);
        } else if (f == bytesOf(deck::protocol::bsstatus)) {
            r = statusData();
        } else {
            // A deck acknowledges every command it takes.
            act(f);
            r.bytes = {0x10, 0x01, 0x11};
            r.count = 3;
        }
        return r;
    }

    static std::uint8_t bcd(int v) { return static_cast<std::uint8_t>((v / 10) * 16 + v % 10); }

    static serial::ExchangeResult timeData(int frames) {
        auto tc = deck::TimeCode::fromFrameCount(frames);
        serial::ExchangeResult r;
        r.bytes = {0x74, 0x04, bcd(tc.frames), bcd(tc.seconds), bcd(tc.minutes), bcd(tc.hours)};
        r.bytes[6] = deck::protocol::checksum(r.bytes.data(), 6);
        r.count = 7;
        return r;
    }

    serial::ExchangeResult statusData() const {
        serial::ExchangeResult r;
        r.bytes[0] = 0x79;
        r.bytes[1] = 0x20;
        r.bytes[3] = playing_ ? 0x01 : 0x20;  // Play or Stop
        r.bytes[4] = cued_ ? 0x01 : 0x00;     // cue complete
        r.bytes[11] = deck::protocol::checksum(r.bytes.data(), 11);
        r.count = 12;
        return r;
    }

    void act(const Bytes& f) {
        if (f == bytesOf(deck::protocol::bsplay)) {
            playing_ = true;
            cued_ = false;
        } else if (f == bytesOf(deck::protocol::bsstop)) {
            playing_ = false;
            stops_.push_back(position_);
        } else if (f == bytesOf(deck::protocol::bspause)) {
            playing_ = false;
        } else if (f.size() == 7 && f[0] == 0x24 && f[1] == 0x31) {
            position_ = deck::TimeCode::fromBCD(f[2], f[3], f[4], f[5]).frameCount();
            playing_ = false;
            cued_ = true;
        }
    }

    mutable std::mutex mutex_;
    std::vector<int> stops_;
    int position_;
    int step_;
    bool playing_ = false;
    bool cued_ = false;
};

// A connected network client that keeps every message.
class RecordingClient : public deck::NetClient {
  public:
    void Send(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        sent_.push_back(text);
    }
    std::vector<std::string> sent() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return sent_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> sent_;
};

}  // namespace vemo::remote::test
