#pragma once

// Test doubles for the remote-control tests: a deck behind a fake command port, a main
// window that records what it is asked to show, and a network client that records replies.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "deck/deck_display.h"
#include "deck/local_vcr.h"
#include "deck/protocol.h"
#include "serial/command_port.h"

namespace vemo::remote::test {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
Bytes bytesOf(const deck::protocol::Frame<N>& f) {
    return Bytes(f.begin(), f.end());
}

// A deck that answers time sense and status sense. Its position moves while it plays, a
// number of frames per time-code read, so reviews reach their out point quickly; a cue frame
// puts it at the cue point and reports the cue complete.
class FakeDeck : public serial::CommandPort {
  public:
    explicit FakeDeck(int startFrames = 0, int framesPerRead = 0)
        : position_(startFrames), step_(framesPerRead) {}

    serial::ExchangeResult SendSerial(const std::uint8_t* frame, std::size_t size) override {
        Bytes f(frame, frame + size);
        std::function<void(const Bytes&)> hook;
        serial::ExchangeResult r;
        if (silent.load())
            return r;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            hook = onFrame_;
            if (f == bytesOf(deck::protocol::bsgettc)) {
                if (playing_)
                    position_ += step_;
                r = timeData(position_);
            } else if (f == bytesOf(deck::protocol::bsstatus)) {
                r = statusData();
            } else {
                frames_.push_back(f);
                act(f);
            }
            count_ = r.count;
        }
        if (hook)
            hook(f);
        return r;
    }
    int SerCount() const override { return count_.load(); }
    bool hasSerialPort() const override { return true; }
    bool hasOutputStream() const override { return true; }

    std::atomic<bool> silent{false};  // takes frames but answers none (a pulled deck)

    // Every frame but the two sense frames, in order.
    std::vector<Bytes> frames() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }
    template <std::size_t N>
    int countOf(const deck::protocol::Frame<N>& f) const {
        auto all = frames();
        return static_cast<int>(std::count(all.begin(), all.end(), bytesOf(f)));
    }
    bool sawCue() const {
        for (const Bytes& f : frames()) {
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
    // Called after every exchange, outside the deck's lock.
    void setOnFrame(std::function<void(const Bytes&)> hook) {
        std::lock_guard<std::mutex> lock(mutex_);
        onFrame_ = std::move(hook);
    }

  private:
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
    std::vector<Bytes> frames_;
    std::vector<int> stops_;
    std::function<void(const Bytes&)> onFrame_;
    int position_;
    int step_;
    bool playing_ = false;
    bool cued_ = false;
    std::atomic<int> count_{0};
};

// The main window as deck control sees it: records status texts and connect-button changes.
class FakeDisplay : public deck::DeckDisplay {
  public:
    void ShowTC(const std::string&) override {}
    void ShowStatus(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        statuses_.push_back(text);
    }
    void clearbuttons() override {}
    void hilight(deck::Control) override {}
    void show() override {}
    void setCueControlsEnabled(bool) override {}
    void EnableConnect(bool enabled) override {
        if (enabled)
            connectEnabled_++;
    }
    void setcue() override { setcueCalls_++; }
    void setreview() override { setreviewCalls_++; }

    std::vector<std::string> statuses() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return statuses_;
    }
    bool saw(const std::string& text) const {
        auto all = statuses();
        return std::find(all.begin(), all.end(), text) != all.end();
    }
    int connectEnabled() const { return connectEnabled_.load(); }
    int setcueCalls() const { return setcueCalls_.load(); }
    int setreviewCalls() const { return setreviewCalls_.load(); }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> statuses_;
    std::atomic<int> connectEnabled_{0};
    std::atomic<int> setcueCalls_{0};
    std::atomic<int> setreviewCalls_{0};
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
