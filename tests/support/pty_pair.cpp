#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace vemo::test {

PtyPair::PtyPair() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    slaveName_ = name;
    termios t{};
    ::tcgetattr(master_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master_, TCSANOW, &t);
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave_, TCSANOW, &t);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

PtyPair::~PtyPair() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

void PtyPair::stall(bool stalled) {
    ::tcflow(slave_, stalled ? TCOOFF : TCOON);
}

void PtyPair::writeMaster(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            throw std::runtime_error("write to pty master failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> PtyPair::readMaster(std::size_t want, std::chrono::milliseconds limit) {
    std::vector<std::uint8_t> out;
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (out.size() < want) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{master_, POLLIN, 0};
        int r = ::poll(&p, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        std::uint8_t buf[256];
        ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0)
            break;
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}

}  // namespace vemo::test
