#pragma once

#include <chrono>
#include <mutex>

#include "serial/command_port.h"

namespace vemo::screenshots {

// A deck inside the program: it plays, stops, pauses and cues at once to any time code, and
// answers the time-code and status polls the way a deck on the line does. Time runs at
// `pace` times play speed, so a review passes quickly.
class BenchDeck : public serial::CommandPort {
  public:
    explicit BenchDeck(int pace) : pace_(pace) {}

    serial::ExchangeResult SendSerial(const std::uint8_t* frame, std::size_t size) override;
    bool hasSerialPort() const override { return true; }
    bool hasOutputStream() const override { return true; }

  private:
    using Clock = std::chrono::steady_clock;
    int position();  // frames, brought up to now

    std::mutex mutex_;
    const int pace_;
    double frames_ = 0;
    bool playing_ = false;
    bool cued_ = false;
    Clock::time_point last_ = Clock::now();
};

}  // namespace vemo::screenshots
