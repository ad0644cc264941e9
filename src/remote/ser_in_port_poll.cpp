// Polling the auxiliary controller port and performing the surface's messages.
#include <chrono>
#include <exception>
#include <span>
#include <string>

#include "core/utils.h"
#include "deck/commands.h"
#include "deck/deck_display.h"
#include "deck/local_vcr.h"
#include "remote/ser_in_port.h"

namespace vemo::remote {

void SerInPort::run() {
    while (a_.load()) {
        if (!rest(sleeptime_.load()))
            break;
        readdirect();
        polls_.fetch_add(1);
    }
}

void SerInPort::readdirect() {
    if (!serialPort2_)
        return;
    try {
        int waiting = serialPort2_->waiting();
        if (waiting < 1)
            return;
        // A message is two bytes; a lone first byte would be taken with a stale second.
        if (waiting < 2 && !awaitSecondByte()) {
            serialPort2_->flushInput();
            return;
        }
        int n = serialPort2_->read(std::span<std::uint8_t>(serin_.data(), 2));
        // Only the first message of the poll counts.
        serialPort2_->flushInput();
        if (n < 2)
            return;
    } catch (const serial::SerialError&) {
        return;  // a failed read ends this poll; the next one runs as usual
    }
    try {
        parse();
    } catch (const std::exception& e) {
        // A deck operation that fails must not end the controller's thread.
        OutLine(std::string("MCS command failed: ") + e.what());
    }
    rest(2 * sleeptime_.load());
}

bool SerInPort::awaitSecondByte() {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(secondByteWait);
    while (Clock::now() < deadline) {
        if (!rest(5))
            return false;
        if (serialPort2_->waiting() >= 2)
            return true;
    }
    return false;
}

void SerInPort::parse() {
    OutLine(core::Utils::BS2S(serin_.data(), serin_.size(), 2));
    deck::LocalVCR* svcr = svcr_.load();
    if (svcr == nullptr)
        return;
    std::uint8_t b0 = serin_[0];
    std::uint8_t b1 = serin_[1];
    if (b0 == 0x80) {
        if (auto operation = deck::byAuxByte(b1)) {
            deck::perform(*svcr, *operation);
        } else if (b1 == 0x40 || b1 == 0x41) {
            // The logger window queues the mark to its own thread.
            if (deck::LoggerMarks* logger = svcr->loggerMarks())
                b1 == 0x40 ? logger->setin() : logger->setout();
        }
    } else if (b0 == 0x81) {
        if (b1 == 0x7F)
            svcr->jogf();
        else
            svcr->jogr();
    }
}

}  // namespace vemo::remote
