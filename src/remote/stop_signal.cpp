#include "remote/stop_signal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>

namespace vemo::remote {

StopSignal::StopSignal() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "stop pipe");
    }
    read_ = core::UniqueFd(fds[0]);
    write_ = core::UniqueFd(fds[1]);
}

void StopSignal::raise() {
    if (raised_.exchange(true))
        return;
    const char byte = 1;
    // One byte is enough and nobody reads it; a full pipe cannot happen.
    while (::write(write_.get(), &byte, 1) < 0 && errno == EINTR) {
    }
}

bool StopSignal::sleepFor(int milliseconds) const {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (!raised()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return true;
        pollfd p{read_.get(), POLLIN, 0};
        int timeout = left.count() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left.count());
        int r = ::poll(&p, 1, timeout);
        if (r < 0 && errno != EINTR)
            return !raised();  // cannot wait: give up quietly
    }
    return false;
}

}  // namespace vemo::remote
