#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "serial/command_port.h"
#include "serial/serial_line.h"

namespace vemo::serial {

// The deck command port: opened once with the deck's line settings, then used for command
// exchanges (write a frame, pause, take the reply bytes that came) from any thread, one
// exchange at a time.
class SerOutPort : public CommandPort {
  public:
    // The deck's line: 38400 bit/s, 8 data bits, odd parity, 1 stop bit, no handshake.
    static constexpr LineSettings kDeckLine{38400, 8, 1, Parity::odd};
    // A deck that never stops sending must not keep an exchange (and the port) forever: one
    // exchange takes at most this many bytes.
    static constexpr int kMaxBytesPerExchange = 4096;
    static constexpr std::size_t buffersize = ExchangeResult::kSize;
    // A frame takes about 2 ms at 38400 bit/s: a write not done by then fails its exchange.
    static constexpr std::chrono::milliseconds kWriteDeadline{1000};
    // Once a write has missed its deadline, the next ones give up sooner until one succeeds,
    // so that a stuck line does not hold every other command a second each.
    static constexpr std::chrono::milliseconds kStalledWriteDeadline{50};
    // A frame that has no byte of its reply after the pause gets this much longer: a reply
    // held up by a loaded machine or a slow bridge still belongs to its own frame. Then the
    // rest of it is given kReplyTailMs to arrive (a whole status reply at the line's rate).
    static constexpr std::chrono::milliseconds kLateReplyGrace{30};
    static constexpr int kReplyTailMs = 5;
    // While the device is gone (adapter pulled), reopening it is tried this often.
    static constexpr std::chrono::milliseconds kReopenInterval{1000};

    // Never throws for a port that will not open: it prints why and sets bad().
    explicit SerOutPort(const std::string& portName);
    ~SerOutPort() override;
    SerOutPort(const SerOutPort&) = delete;
    SerOutPort& operator=(const SerOutPort&) = delete;

    // The pause between writing a command and reading its reply, in milliseconds.
    void setwait(int milliseconds) { wait_.store(milliseconds); }
    // How much longer an exchange with no reply byte yet waits (kLateReplyGrace by default).
    void setLateReplyGrace(std::chrono::milliseconds grace) { grace_.store(grace.count()); }

    ExchangeResult SendSerial(const std::uint8_t* frame, std::size_t size) override;

    // The line opened (it stays this object's while the device is away).
    bool hasSerialPort() const override { return line_ != nullptr; }
    bool hasOutputStream() const override { return line_ != nullptr; }
    bool bad() const { return bad_.load(); }
    // Why the port did not open at construction (error 0 when it did).
    PortFailure openError() const { return openError_; }
    // The device went away; it is reopened once it is back.
    bool lost() const { return lost_.load(); }

    static void DelayT(int milliseconds);
    static void OutLine(std::string_view text);

  private:
    bool sendLocked(const std::uint8_t* bytes, std::size_t size);
    // True when a byte of a late reply came within kLateReplyGrace.
    bool awaitLateReplyLocked();
    // A write failed: tells a line that is gone from one that is only stuck.
    void writeFailedLocked();
    bool reopenLocked();
    // Takes the waiting reply bytes into the reply buffer; the count of the last read.
    int readLocked();
    ExchangeResult resultLocked(int count) const;

    std::atomic<bool> bad_{false};
    PortFailure openError_;
    std::string portName_;
    std::atomic<int> wait_{20};
    std::atomic<std::chrono::milliseconds::rep> grace_{kLateReplyGrace.count()};
    std::array<std::uint8_t, buffersize> serin_{};  // the one reply buffer, reused

    std::unique_ptr<SerialLine> line_;
    std::mutex mutex_;  // held for a whole exchange
    // Under mutex_: the stuck and gone states.
    bool stalled_ = false;
    std::atomic<bool> lost_{false};
    std::chrono::steady_clock::time_point nextReopen_;
};

}  // namespace vemo::serial
