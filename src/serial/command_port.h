#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vemo::serial {

// The reply of one command exchange, kept together for the thread that made it.
struct ExchangeResult {
    static constexpr std::size_t kSize = 16;
    std::array<std::uint8_t, kSize> bytes{};  // the reply buffer as it stood at the end
    int count = 0;                            // bytes taken by the exchange's last read
    bool sent = true;  // false: the frame did not go out (port error, or the write deadline)
};

// What deck control needs of the deck command port: one exchange at a time.
class CommandPort {
  public:
    virtual ~CommandPort() = default;
    // Clear the buffer, write the frame, pause, take the waiting reply bytes.
    virtual ExchangeResult SendSerial(const std::uint8_t* frame, std::size_t size) = 0;
    // The line opened: polling and cues may start.
    virtual bool hasSerialPort() const = 0;
    // Frames can be written at all (no deck can be reached without).
    virtual bool hasOutputStream() const = 0;
};

}  // namespace vemo::serial
