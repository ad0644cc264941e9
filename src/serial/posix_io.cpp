// Moving bytes, counting and flushing on the system's terminal driver.
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>

#include "serial/platform.h"
#include "serial/port_table.h"

namespace vemo::serial {
namespace {

using Clock = std::chrono::steady_clock;
using detail::PortPtr;
using detail::PortTable;

PortPtr entryFor(int port) {
    return PortTable::instance().find(port);
}

std::optional<Clock::time_point> deadlineFor(int timeoutMs) {
    if (timeoutMs == kWaitForever)
        return std::nullopt;
    return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

enum class Ready { yes, timeout, failed };

// Waits for the events until the deadline (none: no limit). Polls in slices so that a
// port closed by another thread ends the wait.
Ready waitFor(const detail::PortEntry& entry, short events,
              std::optional<Clock::time_point> deadline) {
    constexpr int kSliceMs = 100;
    for (;;) {
        if (entry.closed.load())
            return Ready::failed;
        int slice = kSliceMs;
        if (deadline) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0)
                return Ready::timeout;
            slice = static_cast<int>(std::min<long long>(left.count(), kSliceMs));
        }
        pollfd p{entry.fd.get(), events, 0};
        int r = ::poll(&p, 1, slice);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return Ready::failed;
        }
        if (r == 0)
            continue;
        if ((p.revents & events) != 0)
            return Ready::yes;
        return Ready::failed;  // hung up or invalid, and nothing to move
    }
}

int ioctlCount(int port, unsigned long request) {
    PortPtr entry = entryFor(port);
    if (!entry)
        return -1;
    int n = 0;
    if (::ioctl(entry->fd.get(), request, &n) != 0)
        return -1;
    return n;
}

int flush(int port, int queue) {
    PortPtr entry = entryFor(port);
    if (!entry)
        return -1;
    return ::tcflush(entry->fd.get(), queue) == 0 ? 0 : -1;
}

}  // namespace

int SerPutData(int port, const std::uint8_t* data, int count) {
    PortPtr entry = entryFor(port);
    if (!entry || data == nullptr || count <= 0)
        return 0;
    int timeout = entry->timeoutTx.load();
    auto deadline = deadlineFor(timeout);
    int sent = 0;
    while (sent < count) {
        ssize_t n = ::write(entry->fd.get(), data + sent, static_cast<std::size_t>(count - sent));
        if (n > 0) {
            sent += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            break;
        if (timeout == 0)
            break;  // only what fits at once
        if (waitFor(*entry, POLLOUT, deadline) != Ready::yes)
            break;
    }
    return sent;
}

int SerPutByte(int port, std::uint8_t byte) {
    return SerPutData(port, &byte, 1) == 1 ? 0 : 1;
}

int SerGetData(int port, std::uint8_t* data, int count) {
    PortPtr entry = entryFor(port);
    if (!entry || data == nullptr)
        return -1;
    if (count <= 0)
        return 0;
    int timeout = entry->timeoutRx.load();
    auto deadline = deadlineFor(timeout);
    int got = 0;
    while (got < count) {
        ssize_t n = ::read(entry->fd.get(), data + got, static_cast<std::size_t>(count - got));
        if (n > 0) {
            got += static_cast<int>(n);
            // Without a timeout a short read has taken all there was: asking again would
            // only find the line empty.
            if (timeout == 0)
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return got > 0 ? got : -1;
        if (timeout == 0)
            break;  // return at once with what is there
        Ready r = waitFor(*entry, POLLIN, deadline);
        if (r == Ready::timeout)
            break;
        if (r == Ready::failed)
            return got > 0 ? got : -1;
    }
    return got;
}

int SerGetByte(int port) {
    std::uint8_t byte = 0;
    return SerGetData(port, &byte, 1) == 1 ? byte : -1;
}

int SerRxReadyCount(int port) {
    return ioctlCount(port, FIONREAD);
}
int SerTxBufCount(int port) {
    return ioctlCount(port, TIOCOUTQ);
}
int SerRxFlush(int port) {
    return flush(port, TCIFLUSH);
}
int SerTxFlush(int port) {
    return flush(port, TCOFLUSH);
}

int SerTxDrain(int port) {
    PortPtr entry = entryFor(port);
    if (!entry)
        return -1;
    int r;
    do {
        r = ::tcdrain(entry->fd.get());
    } while (r != 0 && errno == EINTR);
    return r == 0 ? 0 : -1;
}

int SerSetTimeoutRx(int port, int milliseconds) {
    PortPtr entry = entryFor(port);
    if (!entry || milliseconds < 0)
        return -1;
    entry->timeoutRx.store(milliseconds);
    return 0;
}

int SerSetTimeoutTx(int port, int milliseconds) {
    PortPtr entry = entryFor(port);
    if (!entry || milliseconds < 0)
        return -1;
    entry->timeoutTx.store(milliseconds);
    return 0;
}

int SerGetTimeoutRx(int port) {
    PortPtr entry = entryFor(port);
    return entry ? entry->timeoutRx.load() : -1;
}

int SerGetTimeoutTx(int port) {
    PortPtr entry = entryFor(port);
    return entry ? entry->timeoutTx.load() : -1;
}

}  // namespace vemo::serial
