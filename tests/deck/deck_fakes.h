#pragma once

// Test doubles for the deck controller: a small deck model to answer the shared fake command
// port, a network client and a clipboard that record their calls, and a capture of the log
// lines written on standard output.

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/utils.h"
#include "deck/deck_display.h"
#include "deck/protocol.h"
#include "support/fake_command_port.h"
#include "support/fake_deck_display.h"
#include "support/stdout_capture.h"

namespace vemo::deck::test {

using vemo::test::Bytes;
using vemo::test::bytesOf;
using vemo::test::replyOf;
using vemo::test::withChecksum;

// A deck model: cueing, playing at `fps` time-code frames per real second, status bits.
class DeckModel {
  public:
    std::atomic<bool> reportsCued{true};  // status says cue complete once a cue arrived
    std::atomic<bool> advances{true};     // the time code moves while playing
    std::atomic<bool> answers{true};      // replies at all
    std::atomic<bool> refusesCue{false};  // answers the cue frame with NAK
    double fps = 30.0;

    serial::ExchangeResult answer(const Bytes& f) {
        using namespace protocol;
        std::lock_guard<std::mutex> lock(mutex_);
        if (!answers)
            return {};
        freeze();
        if (f == bytesOf(bsgettc)) {
            auto bcd = TimeCode::fromFrameCount(static_cast<int>(position_)).toBCD();
            return replyOf(withChecksum({0x74, 0x04, bcd[0], bcd[1], bcd[2], bcd[3]}));
        }
        if (f == bytesOf(bsstatus)) {
            std::uint8_t s3 = playing_ ? 0x01 : 0x20;
            std::uint8_t s4 = (cued_ && reportsCued) ? 0x01 : 0x00;
            return replyOf(
                withChecksum({0x79, 0x20, 0x00, s3, s4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
        }
        if (refusesCue && f.size() == 7 && f[0] == 0x24)
            return replyOf(withChecksum({0x11, 0x12, 0x01}));
        // Any command but a cue moves the deck away from the cue point.
        cued_ = false;
        if (f == bytesOf(bsplay)) {
            playing_ = true;
        } else if (f == bytesOf(bsstop) || f == bytesOf(bspause)) {
            playing_ = false;
        } else if (f.size() == 7 && f[0] == 0x24 && f[1] == 0x31) {
            position_ = TimeCode::fromBCD(f[2], f[3], f[4], f[5]).frameCount();
            playing_ = false;
            cued_ = true;
        }
        return replyOf({0x10, 0x01, 0x11});
    }

    int position() {
        std::lock_guard<std::mutex> lock(mutex_);
        freeze();
        return static_cast<int>(position_);
    }

  private:
    // Brings the position up to now.
    void freeze() {
        auto now = std::chrono::steady_clock::now();
        if (playing_ && advances) {
            position_ += std::chrono::duration<double>(now - since_).count() * fps;
        }
        since_ = now;
    }

    std::mutex mutex_;
    double position_ = 0;
    bool playing_ = false;
    bool cued_ = false;
    std::chrono::steady_clock::time_point since_ = std::chrono::steady_clock::now();
};

class FakeClient : public NetClient {
  public:
    void Send(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        words_.push_back(text);
    }
    std::vector<std::string> words() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return words_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> words_;
};

class FakeClipboard : public ClipboardSink {
  public:
    void setText(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        texts_.push_back(text);
    }
    std::vector<std::string> texts() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
};

// The log lines written on standard output while alive.
using LogCapture = vemo::test::StdoutCapture;

}  // namespace vemo::deck::test
