#include "pty_line.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace vemo::decksim {

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Raw 38400 8O1 without handshake, as the deck's line; a pty keeps the flags though it
// has no real bit rate or parity.
void configureDeckLine(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        fail("tcgetattr");
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | PARENB | PARODD | CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, B38400);
    ::cfsetospeed(&t, B38400);
    if (::tcsetattr(fd, TCSANOW, &t) != 0)
        fail("tcsetattr");
}

}  // namespace

PtyLine::~PtyLine() {
    unpublish();
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

void PtyLine::open() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        fail("grantpt/unlockpt");
    const char* name = ::ptsname(master_);
    if (name == nullptr)
        fail("ptsname");
    slaveName_ = name;
    slave_ = ::open(slaveName_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slave_ < 0)
        fail("open " + slaveName_);
    configureDeckLine(slave_);
    int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
        fail("fcntl");
}

void PtyLine::publish(const std::string& link) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        throw std::runtime_error(link + " exists and is not a symbolic link; not replacing it");
    }
    // A new link renamed over the old one: the path never goes missing meanwhile.
    std::string temp = link + ".decksim-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(slaveName_.c_str(), temp.c_str()) != 0)
        fail("symlink " + temp);
    if (::rename(temp.c_str(), link.c_str()) != 0) {
        int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        fail("rename to " + link);
    }
    link_ = link;
}

void PtyLine::unpublish() {
    if (link_.empty())
        return;
    char target[4096];
    ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
    if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == slaveName_) {
        ::unlink(link_.c_str());
    }
    link_.clear();
}

void PtyLine::pull() {
    unpublish();
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
    slaveName_.clear();
}

void PtyLine::setStalled(bool stalled) {
    // Output suspended on the terminal: the console's writes find no room, as on a line
    // whose far end has stopped reading and whose buffers are full.
    if (slave_ >= 0)
        ::tcflow(slave_, stalled ? TCOOFF : TCOON);
}

void PtyLine::clearExclusive() {
    int exclusive = 0;
    if (slave_ >= 0 && ::ioctl(slave_, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
        ::ioctl(slave_, TIOCNXCL);
    }
}

}  // namespace vemo::decksim
