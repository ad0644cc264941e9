#pragma once

#include <cstdint>
#include <span>

#include "serial/serial_port.h"

namespace vemo::serial {

// Byte-stream reading over an open port: reads return at once from the port and the
// stream itself waits, 20 ms between tries, until something came.
class SerInputStream {
  public:
    // The port must be open ("Port not open"); its receive timeout becomes 0.
    explicit SerInputStream(SerialPort& sp);

    // One byte, waiting for it.
    int read();
    // At least one byte into the array (none for an empty array); the count.
    int read(std::span<std::uint8_t> data);
    // Into the array from offset, at most count bytes; an absent array gives 0.
    int read(std::span<std::uint8_t> data, int offset, int count);
    int available();
    void close();

  private:
    SerialPort& sp_;
};

// Byte-stream writing over an open port: writes wait until every byte is handed over.
class SerOutputStream {
  public:
    // The port must be open ("Port not open"); its transmit timeout becomes unlimited.
    explicit SerOutputStream(SerialPort& sp);

    void write(std::uint8_t byte);
    void write(std::span<const std::uint8_t> data);
    void write(std::span<const std::uint8_t> data, int offset, int count);
    // Waits until the driver has sent every byte.
    void flush();

  private:
    SerialPort& sp_;
};

}  // namespace vemo::serial
