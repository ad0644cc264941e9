#include "serial/serial_line.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>

namespace vemo::serial {
namespace {

using Clock = std::chrono::steady_clock;

// Why an open failed, as its error text says.
constexpr const char* kInUse = "Port is in use";
constexpr const char* kNotValid = "Port not valid";
constexpr int kRefused = 1001;        // the system refused for another reason
constexpr int kNoSuchFraming = 1004;  // settings the driver cannot express

}  // namespace

std::optional<std::string> devicePath(const std::string& name) {
    if (!name.empty() && name[0] == '/')
        return name;
    if (name.size() < 4 || name.size() > 9 || name.compare(0, 3, "COM") != 0)
        return std::nullopt;
    int n = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n < 1)
        return std::nullopt;
    return "/dev/ttyS" + std::to_string(n - 1);
}

namespace {

std::string openFailure(int err) {
    switch (err) {
        case EBUSY:
            return kInUse;
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
        case EIO:
        case ENOTTY:
        case EISDIR:
            return kNotValid;
        default:
            return std::to_string(kRefused);
    }
}

// Asks the driver to hand over bytes at once instead of batching them; a pty, a plain UART
// or an adapter without these controls simply keeps its defaults.
void requestLowLatency(int fd, const std::string& path) {
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) == 0 && (ss.flags & ASYNC_LOW_LATENCY) == 0) {
        ss.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &ss);
    }
    char real[PATH_MAX];
    std::string dev = ::realpath(path.c_str(), real) != nullptr ? real : path;
    dev = dev.substr(dev.rfind('/') + 1);
    // The usb-serial port device (ttyUSBn) carries the adapter's latency_timer itself.
    core::UniqueFd timer(
        ::open(("/sys/class/tty/" + dev + "/device/latency_timer").c_str(), O_WRONLY | O_CLOEXEC));
    if (timer.valid()) {
        [[maybe_unused]] ssize_t n = ::write(timer.get(), "1", 1);
    }
}

// Waits until the events are possible or the deadline passes; false also on a hang-up.
bool await(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd, events, 0};
        int r = ::poll(&p, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        return (p.revents & events) != 0;
    }
}

// A pseudo-terminal (the simulator, or a bridge to a networked serial server) has no wire,
// so it keeps no parity setting.
bool isPseudoTerminal(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    unsigned int major = ::major(st.st_rdev);
    return major >= 136 && major <= 143;  // the Unix 98 pty slaves
}

// The driver may take part of a request silently: speed and size are checked afterwards.
// A pty drops the parity bits, and the C library then calls the whole request refused
// (EINVAL) although everything else was taken: what a pty can express is accepted.
int configure(int fd, const LineSettings& settings) {
    termios current{};
    if (::tcgetattr(fd, &current) != 0)
        return errno;
    auto wanted = termiosFor(settings, current);
    if (!wanted)
        return kNoSuchFraming;
    int refusal = ::tcsetattr(fd, TCSANOW, &*wanted) != 0 ? errno : 0;
    termios got{};
    if (::tcgetattr(fd, &got) != 0)
        return errno;
    if (refusal != 0) {
        constexpr tcflag_t parityBits = PARENB | PARODD | CMSPAR;
        bool onlyParityLost = refusal == EINVAL && isPseudoTerminal(fd) &&
                              (got.c_cflag | parityBits) == (wanted->c_cflag | parityBits) &&
                              got.c_iflag == wanted->c_iflag && got.c_oflag == wanted->c_oflag &&
                              got.c_lflag == wanted->c_lflag;
        if (!onlyParityLost)
            return refusal;
    }
    if (::cfgetospeed(&got) != ::cfgetospeed(&*wanted) ||
        (got.c_cflag & CSIZE) != (wanted->c_cflag & CSIZE)) {
        return kNoSuchFraming;
    }
    return 0;
}

}  // namespace

std::optional<termios> termiosFor(const LineSettings& settings, const termios& base) {
    static constexpr std::pair<int, speed_t> speeds[] = {
        {110, B110},     {150, B150},     {300, B300},     {600, B600},
        {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
        {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    auto speed = std::find_if(std::begin(speeds), std::end(speeds),
                              [&](const auto& s) { return s.first == settings.bitRate; });
    if (speed == std::end(speeds) || settings.dataBits < 5 || settings.dataBits > 8 ||
        (settings.stopBits != 1 && settings.stopBits != 2)) {
        return std::nullopt;
    }
    termios t = base;
    // Raw line: every byte value crosses unchanged in both directions.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IUCLC | IMAXBEL | IXON | IXOFF | IXANY);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST | OLCUC | ONLCR | OCRNL | ONOCR | ONLRET | OFILL |
                                        OFDEL | NLDLY | CRDLY | TABDLY | BSDLY | VTDLY | FFDLY);
    t.c_lflag &= ~static_cast<tcflag_t>(ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL |
                                        ECHOPRT | ECHOKE | IEXTEN | XCASE | TOSTOP);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | sizes[settings.dataBits - 5];
    if (settings.stopBits == 2)
        t.c_cflag |= CSTOPB;
    if (settings.parity != Parity::none)
        t.c_cflag |= settings.parity == Parity::odd ? (PARENB | PARODD) : PARENB;
    // Parity is generated and sent, but received bytes are passed on as they come: a byte
    // with a parity fault is not replaced, the deck's checksum judges the reply.
    t.c_iflag &= ~static_cast<tcflag_t>(INPCK | IGNPAR);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, speed->second) != 0 || ::cfsetospeed(&t, speed->second) != 0)
        return std::nullopt;
    return t;
}

SerialLine::SerialLine(std::string name, const LineSettings& settings)
    : name_(std::move(name)), settings_(settings) {
    open("SerOpenPort failed: ");
}

SerialLine::~SerialLine() {
    close();
}

void SerialLine::open(const char* failurePrefix) {
    auto path = devicePath(name_);
    if (!path)
        throw SerialError(failurePrefix + std::string(kNotValid), EINVAL);
    int fd;
    do {
        fd = ::open(path->c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        int err = errno;
        throw SerialError(failurePrefix + openFailure(err), err);
    }
    core::UniqueFd held(fd);
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        throw SerialError(failurePrefix + std::string(kNotValid), ENOTTY);  // not a terminal
    int r;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        bool inUse = errno == EWOULDBLOCK;
        throw SerialError(failurePrefix + (inUse ? kInUse : std::to_string(kRefused)),
                          inUse ? EBUSY : errno);
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        int err = errno;
        throw SerialError(failurePrefix + std::to_string(kRefused), err);
    }
    fd_ = std::move(held);
    requestLowLatency(fd, *path);
    if (int code = configure(fd, settings_)) {
        close();  // a line that cannot be set up is given back at once, not left half open
        // The error number reaches the explanation; a framing the driver lacks has none.
        throw SerialError("Configure failed: " + std::to_string(code),
                          code == kNoSuchFraming ? 0 : code, SerialError::Stage::settings);
    }
}

void SerialLine::close() {
    if (!fd_.valid())
        return;
    ::ioctl(fd_.get(), TIOCNXCL);
    fd_.reset();
}

void SerialLine::reopen() {
    close();
    open("reset: SerOpenPort failed: ");
}

void SerialLine::write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds deadline) {
    const auto until = Clock::now() + deadline;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::write(fd_.get(), bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if ((n < 0 && errno != EAGAIN) || !await(fd_.get(), POLLOUT, until))
            break;
    }
    if (sent < bytes.size()) {
        throw SerialError("PutData1: Sent only " + std::to_string(sent) + " of " +
                          std::to_string(bytes.size()) + " bytes");
    }
}

int SerialLine::read(std::span<std::uint8_t> buffer) {
    // One read takes all that is waiting up to the buffer's size; asking again only to hear
    // that nothing more came would cost a system call on every exchange.
    for (;;) {
        ssize_t n = ::read(fd_.get(), buffer.data(), buffer.size());
        if (n >= 0)
            return static_cast<int>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return 0;
        throw SerialError("getData: failed");
    }
}

int SerialLine::waiting() {
    if (!isOpen())
        throw SerialError("rxReadyCount: Port not open");
    int n = 0;
    if (::ioctl(fd_.get(), FIONREAD, &n) != 0)
        throw SerialError("rxReadyCount failed");
    return n;
}

bool SerialLine::awaitInput(std::chrono::milliseconds limit) {
    if (!isOpen())
        return false;
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd p{fd_.get(), POLLIN, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (n > 0)
            return (p.revents & POLLIN) != 0;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

void SerialLine::flushInput() {
    if (::tcflush(fd_.get(), TCIFLUSH) != 0)
        throw SerialError("rxFlush failed");
}

void SerialLine::flushOutput() {
    if (::tcflush(fd_.get(), TCOFLUSH) != 0)
        throw SerialError("txFlush failed");
}

void SerialLine::setDTR(bool on) {
    int bit = TIOCM_DTR;
    if (::ioctl(fd_.get(), on ? TIOCMBIS : TIOCMBIC, &bit) != 0)
        throw SerialError("setDTR failed");
}

void SerialLine::setRTS(bool on) {
    int bit = TIOCM_RTS;
    if (::ioctl(fd_.get(), on ? TIOCMBIS : TIOCMBIC, &bit) != 0)
        throw SerialError("setRTS failed");
}

}  // namespace vemo::serial
