#pragma once

// The one fake deck of the tests: the shared fake command port answering as a deck does, and
// the one recording network client. Header-only: it needs the deck and serial layers, which
// only the programs that use it link.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "deck/deck_display.h"
#include "deck/protocol.h"
#include "deck/timecode.h"
#include "support/fake_command_port.h"

namespace vemo::test {

// A deck behind the fake command port. It answers time sense and status sense, acknowledges
// every command, cues (a cue frame puts it at the cue point and its status reports the cue
// complete; any other command moves it away), and while it plays its position moves by `fps`
// frames per real second and by framesPerRead frames on every time-code read.
class FakeDeck : public FakeCommandPort {
  public:
    explicit FakeDeck(int startFrames = 0, int framesPerRead = 0)
        : position_(startFrames), step_(framesPerRead) {
        setReply([this](const Bytes& f) { return answer(f); });
    }

    std::atomic<bool> reportsCued{true};  // status says cue complete once a cue arrived
    std::atomic<bool> advances{true};     // the time code moves while playing
    std::atomic<bool> answers{true};      // takes frames but answers none when false
    std::atomic<bool> refusesCue{false};  // answers the cue frame with NAK
    std::atomic<double> fps{0.0};         // time-code frames per real second while playing
    std::atomic<bool> local{false};       // status reports the deck switched to LOCAL
    std::atomic<bool> tapeOut{false};     // status reports no tape in the deck

    // The deck's own answer to a frame, for reply functions that answer some frames otherwise.
    serial::ExchangeResult answer(const Bytes& f) {
        using namespace deck::protocol;
        if (!answers)
            return {};
        std::lock_guard<std::mutex> lock(mutex_);
        freeze();
        if (f == bytesOf(bsgettc)) {
            if (playing_ && advances)
                position_ += step_;
            auto bcd = deck::TimeCode::fromFrameCount(static_cast<int>(position_)).toBCD();
            return replyOf(withChecksum({0x74, 0x04, bcd[0], bcd[1], bcd[2], bcd[3]}));
        }
        if (f == bytesOf(bsstatus)) {
            std::uint8_t s2 = (local ? 0x01 : 0x00) | (tapeOut ? 0x20 : 0x00);
            std::uint8_t s3 = playing_ ? 0x01 : 0x20;  // Play or Stop
            std::uint8_t s4 = (cued_ && reportsCued) ? 0x01 : 0x00;
            return replyOf(
                withChecksum({0x79, 0x20, s2, s3, s4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
        }
        if (refusesCue && isCue(f))
            return replyOf(withChecksum({0x11, 0x12, 0x01}));
        act(f);
        return replyOf({0x10, 0x01, 0x11});
    }

    int position() {
        std::lock_guard<std::mutex> lock(mutex_);
        freeze();
        return static_cast<int>(position_);
    }
    // Positions at which a stop frame arrived.
    std::vector<int> stopPositions() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return stops_;
    }
    template <std::size_t N>
    int countOf(const deck::protocol::Frame<N>& f) const {
        return count(bytesOf(f));
    }
    bool sawCue() const {
        for (const Bytes& f : commands()) {
            if (isCue(f))
                return true;
        }
        return false;
    }

  private:
    static bool isCue(const Bytes& f) { return f.size() == 7 && f[0] == 0x24 && f[1] == 0x31; }

    void act(const Bytes& f) {
        using namespace deck::protocol;
        if (isCue(f)) {
            position_ = deck::TimeCode::fromBCD(f[2], f[3], f[4], f[5]).frameCount();
            playing_ = false;
            cued_ = true;
            return;
        }
        cued_ = false;
        if (f == bytesOf(bsplay)) {
            playing_ = true;
        } else if (f == bytesOf(bsstop)) {
            playing_ = false;
            stops_.push_back(static_cast<int>(position_));
        } else if (f == bytesOf(bspause)) {
            playing_ = false;
        }
    }

    // Brings the position up to now.
    void freeze() {
        auto now = std::chrono::steady_clock::now();
        if (playing_ && advances)
            position_ += std::chrono::duration<double>(now - since_).count() * fps.load();
        since_ = now;
    }

    mutable std::mutex mutex_;
    double position_;
    const int step_;
    bool playing_ = false;
    bool cued_ = false;
    std::vector<int> stops_;
    std::chrono::steady_clock::time_point since_ = std::chrono::steady_clock::now();
};

// A connected network client that keeps every line sent to it.
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

}  // namespace vemo::test
