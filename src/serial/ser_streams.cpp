#include "serial/ser_streams.h"

#include <chrono>
#include <thread>

#include "serial/platform.h"
#include "serial/serial_error.h"

namespace vemo::serial {
namespace {

constexpr auto kRetryPause = std::chrono::milliseconds(20);

void requireOpen(const SerialPort& sp) {
    if (sp.getPortNum() < 0)
        throw SerialError("Port not open");
}

}  // namespace

SerInputStream::SerInputStream(SerialPort& sp) : sp_(sp) {
    requireOpen(sp_);
    sp_.setTimeoutRx(0);
}

int SerInputStream::read() {
    for (;;) {
        int b = sp_.getByte();
        if (b >= 0)
            return b;
        std::this_thread::sleep_for(kRetryPause);
    }
}

int SerInputStream::read(std::span<std::uint8_t> data) {
    if (data.empty())
        return 0;  // nothing could ever fill it: do not wait for it
    for (;;) {
        int n = sp_.getData(data);
        if (n > 0)
            return n;
        std::this_thread::sleep_for(kRetryPause);
    }
}

int SerInputStream::read(std::span<std::uint8_t> data, int offset, int count) {
    if (data.data() == nullptr)
        return 0;
    if (offset < 0 || count < 0 ||
        static_cast<std::size_t>(offset) + static_cast<std::size_t>(count) > data.size()) {
        throw SerialError("read: count out of bounds");
    }
    return read(data.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(count)));
}

int SerInputStream::available() {
    return sp_.rxReadyCount();
}

void SerInputStream::close() {
    sp_.close();
}

SerOutputStream::SerOutputStream(SerialPort& sp) : sp_(sp) {
    requireOpen(sp_);
    sp_.setTimeoutTx(kWaitForever);
}

void SerOutputStream::write(std::uint8_t byte) {
    sp_.putByte(byte);
}

void SerOutputStream::write(std::span<const std::uint8_t> data) {
    sp_.putData(data);
}

void SerOutputStream::write(std::span<const std::uint8_t> data, int offset, int count) {
    sp_.putData(data, offset, count);
}

void SerOutputStream::flush() {
    // The driver tells how much is left; a short pause between questions keeps this from
    // spinning while the line drains.
    while (sp_.txBufCount() > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace vemo::serial
