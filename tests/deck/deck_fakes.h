#pragma once

// Test doubles for the deck controller: a command port that records every frame and answers
// from a small deck model, a display and a network client that record their calls, and a
// capture of the log lines written on standard output.

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
#include "serial/command_port.h"
#include "support/stdout_capture.h"

namespace vemo::deck::test {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
Bytes bytesOf(const std::array<std::uint8_t, N>& frame) {
    return Bytes(frame.begin(), frame.end());
}

// A deck's reply: the bytes given and their checksum.
inline Bytes withChecksum(Bytes bytes) {
    bytes.push_back(protocol::checksum(bytes.data(), bytes.size()));
    return bytes;
}

inline serial::ExchangeResult replyOf(const Bytes& bytes) {
    serial::ExchangeResult r;
    for (std::size_t i = 0; i < bytes.size() && i < r.bytes.size(); ++i)
        r.bytes[i] = bytes[i];
    r.count = static_cast<int>(bytes.size());
    return r;
}

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

class FakePort : public serial::CommandPort {
  public:
    using Responder = std::function<serial::ExchangeResult(const Bytes&)>;

    std::atomic<bool> serialPort{true};
    std::atomic<bool> outputStream{true};

    serial::ExchangeResult SendSerial(const std::uint8_t* frame, std::size_t size) override {
        Bytes f(frame, frame + size);
        std::lock_guard<std::mutex> lock(mutex_);
        frames_.push_back(f);
        serial::ExchangeResult r = responder_ ? responder_(f) : serial::ExchangeResult{};
        last_ = r.count;
        return r;
    }
    int SerCount() const override {
        std::lock_guard<std::mutex> lock(mutex_);
        return last_;
    }
    bool hasSerialPort() const override { return serialPort; }
    bool hasOutputStream() const override { return outputStream; }

    void setResponder(Responder r) {
        std::lock_guard<std::mutex> lock(mutex_);
        responder_ = std::move(r);
    }
    // Answers every frame with the same bytes.
    void replyAlways(const Bytes& bytes) {
        setResponder([bytes](const Bytes&) { return replyOf(bytes); });
    }
    std::vector<Bytes> frames() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }
    // The frames other than the polling thread's time-code and status requests.
    std::vector<Bytes> commands() const {
        std::vector<Bytes> out;
        for (auto& f : frames()) {
            if (f != bytesOf(protocol::bsgettc) && f != bytesOf(protocol::bsstatus)) {
                out.push_back(f);
            }
        }
        return out;
    }
    int count(const Bytes& frame) const {
        int n = 0;
        for (auto& f : frames())
            n += (f == frame) ? 1 : 0;
        return n;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        frames_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Bytes> frames_;
    Responder responder_;
    int last_ = 0;
};

class FakeDisplay : public DeckDisplay {
  public:
    void ShowTC(const std::string& text) override { record("ShowTC:" + text); }
    void ShowStatus(const std::string& text) override { record("ShowStatus:" + text); }
    void clearbuttons() override {
        record("clearbuttons");
        if (onClearButtons)
            onClearButtons();
    }
    // Runs on the caller's thread as a status reply is being taken (set before use).
    std::function<void()> onClearButtons;
    void hilight(Control control) override {
        record("hilight:" + std::to_string(static_cast<int>(control)));
    }
    void show() override { record("show"); }
    void setCueControlsEnabled(bool enabled) override {
        record(enabled ? "cueControls:on" : "cueControls:off");
    }
    void EnableConnect(bool enabled) override { record(enabled ? "connect:on" : "connect:off"); }
    void ShowDeckAnswering(bool answering) override {
        record(answering ? "deck:answering" : "deck:not answering");
    }
    void setcue() override { record("setcue"); }
    void setreview() override { record("setreview"); }

    static std::string hl(Control c) { return "hilight:" + std::to_string(static_cast<int>(c)); }

    std::vector<std::string> calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    bool has(const std::string& call) const {
        for (auto& c : calls()) {
            if (c == call)
                return true;
        }
        return false;
    }
    std::string lastStatus() const {
        auto all = calls();
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            if (it->rfind("ShowStatus:", 0) == 0)
                return it->substr(11);
        }
        return {};
    }
    // The calls whose text starts with the prefix, in order.
    std::vector<std::string> matching(const std::string& prefix) const {
        std::vector<std::string> out;
        for (auto& c : calls()) {
            if (c.rfind(prefix, 0) == 0)
                out.push_back(c);
        }
        return out;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.clear();
    }

  private:
    void record(std::string call) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(std::move(call));
    }
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
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
