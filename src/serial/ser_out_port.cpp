#include "serial/ser_out_port.h"

#include <chrono>
#include <span>
#include <thread>

#include "core/ravlin.h"
#include "core/utils.h"
#include "serial/serial_error.h"

namespace vemo::serial {
namespace {

// A deck that never stops sending must not keep an exchange (and the port) forever: one
// exchange takes at most a receive buffer's worth of bytes.
constexpr int kMaxBytesPerExchange = SerOutPort::rxBuf;

}  // namespace

SerOutPort::SerOutPort(const std::string& portName) : serCfg_(portName) {
    serCfg_.setBitRate(SerialConfig::BR_38400);
    serCfg_.setDataBits(SerialConfig::LN_8BITS);
    serCfg_.setStopBits(SerialConfig::ST_1BITS);
    serCfg_.setParity(SerialConfig::PY_ODD);
    serCfg_.setHandshake(SerialConfig::HS_NONE);
    serCfg_.setHardFlow(false);
    serCfg_.setTxLen(txBuf);
    serCfg_.setRxLen(rxBuf);

    try {
        serialPort_ = std::make_unique<SerialPortLocal>(serCfg_);
    } catch (const SerialError&) {
        OutLine(" ");
        OutLine("Serial Port " + portName + " not available");
        bad_.store(true);
        return;
    }
    try {
        serialPort_->setDTR(true);
    } catch (const SerialError&) {
        OutLine("Unable to set DTR");
    }
    try {
        serialPort_->setRTS(true);
    } catch (const SerialError&) {
        OutLine("Unable to set RTS");
    }
    try {
        SerialOutStream_ = std::make_unique<SerOutputStream>(*serialPort_);
    } catch (const SerialError&) {
        OutLine("Unable to make OutputStream");
    }
    try {
        SerialInStream_ = std::make_unique<SerInputStream>(*serialPort_);
    } catch (const SerialError&) {
        OutLine("Unable to make InputStream");
    }
}

SerOutPort::~SerOutPort() = default;

ExchangeResult SerOutPort::SendSerial(const std::uint8_t* frame, std::size_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    serin_.fill(0);
    // A frame that did not go out has no reply: this exchange took nothing.
    if (!sendLocked(frame, size))
        return resultLocked(0);
    DelayT(wait_.load());
    readLocked();
    return resultLocked(numBytes_.load());
}

bool SerOutPort::SendSer(const std::uint8_t* bytes, std::size_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    return sendLocked(bytes, size);
}

ExchangeResult SerOutPort::ReadSer() {
    std::lock_guard<std::mutex> lock(mutex_);
    readLocked();
    return resultLocked(numBytes_.load());
}

bool SerOutPort::sendLocked(const std::uint8_t* bytes, std::size_t size) {
    if (!SerialOutStream_)
        return false;
    if (bytes == nullptr)
        size = 0;
    try {
        SerialOutStream_->write(std::span<const std::uint8_t>(bytes, size));
        return true;
    } catch (const SerialError&) {
        OutLine("Unable to write to Serial Port");
        return false;
    }
}

void SerOutPort::readLocked() {
    numBytes_.store(0);
    if (!SerialInStream_)
        return;
    try {
        // Every read starts again at the buffer's first byte: with more than one chunk
        // waiting, the buffer ends with the last chunk over the rest of the one before.
        int taken = 0;
        while (taken < kMaxBytesPerExchange && SerialInStream_->available() > 0) {
            int n = SerialInStream_->read(std::span<std::uint8_t>(serin_));
            numBytes_.store(n);
            taken += n;
        }
    } catch (const SerialError&) {
        // A failed read ends the reply with what was taken so far.
    }
}

ExchangeResult SerOutPort::resultLocked(int count) const {
    ExchangeResult r;
    r.bytes = serin_;
    r.count = count;
    return r;
}

void SerOutPort::ShowStat(const std::string& text) {
    core::Ravlin::ShowStat(text);
}

void SerOutPort::DelayT(int milliseconds) {
    // A plain sleep, also on the window thread: the reply pause is short and runs under the
    // port lock, where no window event may be handled.
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
void SerOutPort::OutLine(std::string_view text) {
    core::Utils::OutLine(text);
}

}  // namespace vemo::serial
