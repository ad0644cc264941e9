// The smallest polling loop a console could run against an idle deck, as the floor its idle
// CPU is measured against: the time sense every pass, the status sense every eighth, the
// same 9 ms reply pause and 35 ms rest as the tape deck's polling, and nothing else (no
// decoding, no display, no log). Plain C++ and POSIX; the line is opened as the console
// opens it (exclusive, raw, 38400 bit/s, 8 data bits, odd parity, 1 stop bit).
//
//     idle_floor DEVICE [SECONDS]
//
// Runs until SIGTERM or SIGINT, or for SECONDS when given; prints the passes made.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

volatile std::sig_atomic_t stopped = 0;

void onSignal(int) {
    stopped = 1;
}

int openLine(const char* path) {
    int fd = ::open(path, O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    termios t{};
    if (::tcgetattr(fd, &t) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return -1;
    }
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | PARENB | PARODD | CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, B38400);
    ::cfsetospeed(&t, B38400);
    // A pty keeps no parity and may report the request as not taken whole; as for the
    // console, only a line that is no terminal at all fails.
    ::tcsetattr(fd, TCSANOW, &t);
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);  // a pty has no modem lines: ignored
    return fd;
}

// One exchange: the frame out, the 9 ms pause, whatever reply is waiting taken.
void exchange(int fd, const unsigned char (&frame)[4]) {
    if (::write(fd, frame, sizeof frame) < 0 && errno != EAGAIN)
        return;
    std::this_thread::sleep_for(std::chrono::milliseconds(9));
    // The line is non-blocking: one read takes all that came (a reply is at most 16 bytes).
    unsigned char reply[64];
    [[maybe_unused]] ssize_t n = ::read(fd, reply, sizeof reply);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "Usage: idle_floor DEVICE [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 0;
    int fd = openLine(argv[1]);
    if (fd < 0) {
        std::fprintf(stderr, "idle_floor: cannot open %s\n", argv[1]);
        return 1;
    }
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    static constexpr unsigned char timeSense[4] = {0x61, 0x0C, 0x03, 0x70};
    static constexpr unsigned char statusSense[4] = {0x61, 0x20, 0x09, 0x8A};
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long passes = 0;
    while (!stopped && (seconds <= 0 || std::chrono::steady_clock::now() < end)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(35));
        exchange(fd, timeSense);
        if (passes % 8 == 0)
            exchange(fd, statusSense);
        ++passes;
    }
    ::close(fd);
    std::printf("passes: %ld\n", passes);
    return 0;
}
