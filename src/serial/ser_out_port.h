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
#include "serial/ser_streams.h"
#include "serial/serial_config.h"
#include "serial/serial_port_local.h"

namespace vemo::serial {

// The deck command port: opened once with the deck's line settings, then used for command
// exchanges (write a frame, pause, take the reply bytes that came) from any thread, one
// exchange at a time.
class SerOutPort : public CommandPort {
  public:
    static constexpr int txBuf = 2048;
    static constexpr int rxBuf = 4096;
    static constexpr std::size_t buffersize = ExchangeResult::kSize;
    // A frame takes about 2 ms at 38400 bit/s: a write not done by then fails its exchange.
    static constexpr int kWriteDeadlineMs = 1000;
    // Once a write has missed its deadline, the next ones give up sooner until one succeeds,
    // so that a stuck line does not hold every other command a second each.
    static constexpr int kStalledWriteDeadlineMs = 50;
    // While the device is gone (adapter pulled), reopening it is tried this often.
    static constexpr std::chrono::milliseconds kReopenInterval{1000};

    // Never throws for a port that will not open: it prints why and sets bad().
    explicit SerOutPort(const std::string& portName);
    ~SerOutPort() override;
    SerOutPort(const SerOutPort&) = delete;
    SerOutPort& operator=(const SerOutPort&) = delete;

    // The pause between writing a command and reading its reply, in milliseconds.
    void setwait(int milliseconds) { wait_.store(milliseconds); }
    int getwait() const { return wait_.load(); }

    ExchangeResult SendSerial(const std::uint8_t* frame, std::size_t size) override;
    int SerCount() const override { return numBytes_.load(); }
    // Writes the bytes in one write; true when all went out.
    bool SendSer(const std::uint8_t* bytes, std::size_t size);
    // Takes the waiting reply bytes into the reply buffer; the buffer and the last count.
    ExchangeResult ReadSer();

    bool hasSerialPort() const override { return serialPort_ != nullptr; }
    bool hasOutputStream() const override { return SerialOutStream_ != nullptr; }
    bool hasInputStream() const { return SerialInStream_ != nullptr; }
    bool bad() const { return bad_.load(); }
    // The device went away; it is reopened once it is back.
    bool lost() const { return lost_.load(); }
    const SerialConfig& config() const { return serCfg_; }

    static void DelayT(int milliseconds);
    static void OutLine(std::string_view text);

  private:
    bool sendLocked(const std::uint8_t* bytes, std::size_t size);
    void setWriteDeadlineLocked(int milliseconds);
    // A write failed: tells a line that is gone from one that is only stuck.
    void writeFailedLocked();
    bool reopenLocked();
    void readLocked();
    ExchangeResult resultLocked(int count) const;

    std::atomic<bool> bad_{false};
    std::string portName_;
    SerialConfig serCfg_;
    std::atomic<int> wait_{20};
    std::atomic<int> numBytes_{0};
    std::array<std::uint8_t, buffersize> serin_{};  // the one reply buffer, reused

    std::unique_ptr<SerialPortLocal> serialPort_;
    std::unique_ptr<SerOutputStream> SerialOutStream_;
    std::unique_ptr<SerInputStream> SerialInStream_;
    std::mutex mutex_;  // held for a whole exchange
    // Under mutex_: the write deadline in force, and the stuck and gone states.
    int writeDeadlineMs_ = -1;
    bool stalled_ = false;
    std::atomic<bool> lost_{false};
    std::chrono::steady_clock::time_point nextReopen_;
};

}  // namespace vemo::serial
