#pragma once
// A deck command port without a deck, for the fuzz targets: each exchange answers with
// whatever reply the target set (nothing by default). Safe from several threads, as the
// controller's cue thread sends while the target's thread goes on.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "serial/command_port.h"

namespace vemo::fuzz {

class FakePort : public serial::CommandPort {
  public:
    // The reply to one frame: bytes and count (0-16).
    using Answer =
        std::function<serial::ExchangeResult(const std::uint8_t* frame, std::size_t size)>;

    serial::ExchangeResult SendSerial(const std::uint8_t* frame, std::size_t size) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++exchanges_;
        serial::ExchangeResult r;
        if (answer_)
            r = answer_(frame, size);
        r.count = std::clamp(r.count, 0, static_cast<int>(serial::ExchangeResult::kSize));
        count_ = r.count;
        return r;
    }
    int SerCount() const override {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }
    bool hasSerialPort() const override { return true; }
    bool hasOutputStream() const override { return true; }

    void setAnswer(Answer answer) {
        std::lock_guard<std::mutex> lock(mutex_);
        answer_ = std::move(answer);
    }
    long exchanges() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return exchanges_;
    }

  private:
    mutable std::mutex mutex_;
    Answer answer_;
    int count_ = 0;
    long exchanges_ = 0;
};

}  // namespace vemo::fuzz
