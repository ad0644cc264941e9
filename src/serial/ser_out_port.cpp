#include "serial/ser_out_port.h"

#include <chrono>
#include <span>
#include <thread>

#include "core/utils.h"

namespace vemo::serial {

SerOutPort::SerOutPort(const std::string& portName) : portName_(portName) {
    try {
        line_ = std::make_unique<SerialLine>(portName, kDeckLine);
    } catch (const SerialError& e) {
        openError_ = PortFailure(e);
        OutLine(" ");
        OutLine("Serial Port " + portName + " not available");
        bad_.store(true);
        return;
    }
    try {
        line_->setDTR(true);
    } catch (const SerialError&) {
        OutLine("Unable to set DTR");
    }
    try {
        line_->setRTS(true);
    } catch (const SerialError&) {
        OutLine("Unable to set RTS");
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
    int count = readLocked();
    if (count == 0 && awaitLateReplyLocked()) {
        DelayT(kReplyTailMs);
        count = readLocked();
    }
    return resultLocked(count);
}

bool SerOutPort::awaitLateReplyLocked() {
    if (!line_ || lost_.load())
        return false;
    try {
        const std::chrono::milliseconds grace{grace_.load()};
        return grace.count() > 0 && line_->awaitInput(grace);
    } catch (const SerialError&) {
        return false;
    }
}

bool SerOutPort::sendLocked(const std::uint8_t* bytes, std::size_t size) {
    if (!line_ || lost_.load())
        return false;
    if (bytes == nullptr)
        size = 0;
    try {
        line_->write(std::span<const std::uint8_t>(bytes, size),
                     stalled_ ? kStalledWriteDeadline : kWriteDeadline);
        stalled_ = false;
        return true;
    } catch (const SerialError&) {
        OutLine("Unable to write to Serial Port");
        writeFailedLocked();
        return false;
    }
}

void SerOutPort::writeFailedLocked() {
    bool gone = false;
    try {
        line_->waiting();  // a hung-up device (pulled, or its line closed) fails
    } catch (const SerialError&) {
        gone = true;
    }
    if (!gone) {
        stalled_ = true;
        try {
            line_->flushOutput();  // no half frame left to go out later
        } catch (const SerialError&) {
        }
        return;
    }
    line_->close();
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
        line_->reopen();
    } catch (const SerialError&) {
        return false;
    }
    for (auto set : {&SerialLine::setDTR, &SerialLine::setRTS}) {
        try {
            (line_.get()->*set)(true);
        } catch (const SerialError&) {
        }
    }
    stalled_ = false;
    lost_.store(false);
    OutLine("Serial Port " + portName_ + " reopened");
    return true;
}

int SerOutPort::readLocked() {
    int count = 0;
    if (!line_)
        return count;
    try {
        // Every read starts again at the buffer's first byte: with more than one chunk
        // waiting, the buffer ends with the last chunk over the rest of the one before. A
        // read that does not fill the buffer has taken all that was waiting.
        int taken = 0;
        while (taken < kMaxBytesPerExchange) {
            int n = line_->read(serin_);
            if (n <= 0)
                break;
            count = n;
            taken += n;
            if (n < static_cast<int>(serin_.size()))
                break;
        }
    } catch (const SerialError&) {
        // A failed read ends the reply with what was taken so far.
    }
    return count;
}

ExchangeResult SerOutPort::resultLocked(int count) const {
    ExchangeResult r;
    r.bytes = serin_;
    r.count = count;
    return r;
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
