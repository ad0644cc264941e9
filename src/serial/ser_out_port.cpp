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

SerOutPort::SerOutPort(const std::string& portName) : portName_(portName), serCfg_(portName) {
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
    // The stream asks for writes that wait until done; the deck line gets a deadline.
    try {
        setWriteDeadlineLocked(kWriteDeadlineMs);
    } catch (const SerialError&) {
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
    if ((lost_.load() && !reopenLocked()) || !sendLocked(frame, size)) {
        ExchangeResult r = resultLocked(0);
        r.sent = false;
        return r;
    }
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
    if (!SerialOutStream_ || lost_.load())
        return false;
    if (bytes == nullptr)
        size = 0;
    try {
        setWriteDeadlineLocked(stalled_ ? kStalledWriteDeadlineMs : kWriteDeadlineMs);
        SerialOutStream_->write(std::span<const std::uint8_t>(bytes, size));
        stalled_ = false;
        return true;
    } catch (const SerialError&) {
        OutLine("Unable to write to Serial Port");
        writeFailedLocked();
        return false;
    }
}

void SerOutPort::setWriteDeadlineLocked(int milliseconds) {
    if (milliseconds == writeDeadlineMs_)
        return;
    serialPort_->setTimeoutTx(milliseconds);
    writeDeadlineMs_ = milliseconds;
}

void SerOutPort::writeFailedLocked() {
    bool gone = false;
    try {
        serialPort_->rxReadyCount();  // a hung-up device (pulled, or its line closed) fails
    } catch (const SerialError&) {
        gone = true;
    }
    if (!gone) {
        stalled_ = true;
        try {
            serialPort_->txFlush();  // no half frame left to go out later
        } catch (const SerialError&) {
        }
        return;
    }
    try {
        serialPort_->close();
    } catch (const SerialError&) {
    }
    lost_.store(true);
    nextReopen_ = std::chrono::steady_clock::now() + kReopenInterval;
    OutLine("Serial Port " + portName_ + " lost");
}

// The same open as at start-up (exclusive use, line settings, DTR and RTS), tried at most
// once per kReopenInterval; quiet while the device is still missing.
bool SerOutPort::reopenLocked() {
    auto now = std::chrono::steady_clock::now();
    if (now < nextReopen_)
        return false;
    nextReopen_ = now + kReopenInterval;
    try {
        serialPort_->reset();
        serialPort_->setTimeoutRx(0);
    } catch (const SerialError&) {
        return false;
    }
    for (auto line : {&SerialPortLocal::setDTR, &SerialPortLocal::setRTS}) {
        try {
            (serialPort_.get()->*line)(true);
        } catch (const SerialError&) {
        }
    }
    writeDeadlineMs_ = -1;
    stalled_ = false;
    lost_.store(false);
    OutLine("Serial Port " + portName_ + " reopened");
    return true;
}

void SerOutPort::readLocked() {
    numBytes_.store(0);
    if (!SerialInStream_)
        return;
    try {
        // Every read starts again at the buffer's first byte: with more than one chunk
        // waiting, the buffer ends with the last chunk over the rest of the one before. A
        // read that does not fill the buffer has taken all that was waiting.
        int taken = 0;
        while (taken < kMaxBytesPerExchange) {
            int n = serialPort_->getData(std::span<std::uint8_t>(serin_));
            if (n <= 0)
                break;
            numBytes_.store(n);
            taken += n;
            if (n < static_cast<int>(serin_.size()))
                break;
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
