// Modem lines, line conditions and breaks on the system's terminal driver.
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <chrono>
#include <thread>

#include "serial/platform.h"
#include "serial/port_table.h"

namespace vemo::serial {
namespace {

using detail::PortEntry;
using detail::PortPtr;
using detail::PortTable;

PortPtr entryFor(int port) {
    return PortTable::instance().find(port);
}

int modemLine(int port, int bit) {
    PortPtr entry = entryFor(port);
    if (!entry)
        return -1;
    int bits = 0;
    if (::ioctl(entry->fd.get(), TIOCMGET, &bits) != 0)
        return -1;
    return (bits & bit) != 0 ? 1 : 0;
}

int setModemLine(int port, int bit, bool on) {
    PortPtr entry = entryFor(port);
    if (!entry)
        return -1;
    return ::ioctl(entry->fd.get(), on ? TIOCMBIS : TIOCMBIC, &bit) == 0 ? 0 : -1;
}

// The driver counts line errors; a condition is present when its counter moved since the
// last question.
template <typename Select>
int countMoved(int port, Select select) {
    PortPtr entry = entryFor(port);
    if (!entry)
        return -1;
    serial_icounter_struct ic{};
    if (::ioctl(entry->fd.get(), TIOCGICOUNT, &ic) != 0)
        return -1;
    std::lock_guard<std::mutex> lock(entry->countMutex);
    auto [now, seen] = select(ic, *entry);
    bool moved = now != seen;
    seen = now;
    return moved ? 1 : 0;
}

}  // namespace

int SerSigCTS(int port) {
    return modemLine(port, TIOCM_CTS);
}
int SerSigDSR(int port) {
    return modemLine(port, TIOCM_DSR);
}
int SerSigCD(int port) {
    return modemLine(port, TIOCM_CD);
}
int SerSigRing(int port) {
    return modemLine(port, TIOCM_RI);
}

int SerSigBreak(int port) {
    return countMoved(port, [](serial_icounter_struct& ic, PortEntry& e) {
        return std::pair<int, int&>(ic.brk, e.seenBrk);
    });
}
int SerSigFrameErr(int port) {
    return countMoved(port, [](serial_icounter_struct& ic, PortEntry& e) {
        return std::pair<int, int&>(ic.frame, e.seenFrame);
    });
}
int SerSigParityErr(int port) {
    return countMoved(port, [](serial_icounter_struct& ic, PortEntry& e) {
        return std::pair<int, int&>(ic.parity, e.seenParity);
    });
}
int SerSigOverrun(int port) {
    return countMoved(port, [](serial_icounter_struct& ic, PortEntry& e) {
        return std::pair<int, int&>(ic.overrun, e.seenOverrun);
    });
}
int SerRxOverflow(int port) {
    return countMoved(port, [](serial_icounter_struct& ic, PortEntry& e) {
        return std::pair<int, int&>(ic.buf_overrun, e.seenBufOverrun);
    });
}

int SerSetDTR(int port, bool on) {
    return setModemLine(port, TIOCM_DTR, on);
}
int SerSetRTS(int port, bool on) {
    return setModemLine(port, TIOCM_RTS, on);
}

int SerSendBreak(int port, int milliseconds) {
    PortPtr entry = entryFor(port);
    if (!entry || milliseconds < 0)
        return -1;
    if (::ioctl(entry->fd.get(), TIOCSBRK) != 0)
        return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return ::ioctl(entry->fd.get(), TIOCCBRK) == 0 ? 0 : -1;
}

int SerGetLibVer() {
    return 100;
}

// The terminal driver services flow control itself: nothing is left to do here.
int SerFlowTask(int port) {
    return entryFor(port) ? 0 : -1;
}

}  // namespace vemo::serial
