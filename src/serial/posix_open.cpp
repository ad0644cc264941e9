// Opening, configuring and closing ports on the system's terminal driver.
#include <fcntl.h>
#include <linux/serial.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "serial/platform.h"
#include "serial/port_table.h"
#include "serial/termios_builder.h"

namespace vemo::serial {
namespace {

using detail::PortEntry;
using detail::PortPtr;
using detail::PortTable;

struct Target {
    std::string path;
    int index = -1;  // -1: any free index
};

std::optional<int> parseNumber(const std::string& digits) {
    if (digits.empty() || digits.size() > 6)
        return std::nullopt;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

// The index a path has by name: "/dev/ttyS<k>" is the k-th numbered port.
int indexOfPath(const std::string& path) {
    const std::string stem = "/dev/ttyS";
    if (path.compare(0, stem.size(), stem) != 0)
        return -1;
    auto k = parseNumber(path.substr(stem.size()));
    return k ? *k : -1;
}

// "/..." is a device path; "COMn" (n from 1) is /dev/ttyS(n-1); an empty name means the
// configuration's number under its base name.
std::optional<Target> resolve(const SerialConfig& config) {
    std::string name = config.portNameText();
    if (name.empty()) {
        if (config.getPort() < 1)
            return std::nullopt;
        std::string base = config.baseNameText();
        if (base.empty())
            base = "/dev/ttyS";
        return Target{base + std::to_string(config.getPort() - 1), config.getPort() - 1};
    }
    if (name[0] == '/')
        return Target{name, indexOfPath(name)};
    if (name.compare(0, 3, "COM") == 0) {
        auto n = parseNumber(name.substr(3));
        if (!n || *n < 1)
            return std::nullopt;
        return Target{"/dev/ttyS" + std::to_string(*n - 1), *n - 1};
    }
    return std::nullopt;
}

std::string canonical(const std::string& path) {
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf) == nullptr)
        return path;
    return buf;
}

int openErrorCode(int err) {
    switch (err) {
        case EBUSY:
            return kOpenInUse;
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
        case EIO:
        case ENOTTY:
        case EISDIR:
            return kOpenNotValid;
        default:
            return kOpenFailed;
    }
}

// Asks the driver to hand over bytes at once instead of batching them; a pty, a plain UART
// or an adapter without these controls simply keeps its defaults.
void requestLowLatency(int fd, const std::string& device) {
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) == 0 && (ss.flags & ASYNC_LOW_LATENCY) == 0) {
        ss.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &ss);
    }
    auto slash = device.rfind('/');
    std::string dev = slash == std::string::npos ? device : device.substr(slash + 1);
    // The usb-serial port device (ttyUSBn) carries the adapter's latency_timer itself.
    std::string timer = "/sys/class/tty/" + dev + "/device/latency_timer";
    int tfd = ::open(timer.c_str(), O_WRONLY | O_CLOEXEC);
    if (tfd < 0)
        return;
    [[maybe_unused]] ssize_t n = ::write(tfd, "1", 1);
    ::close(tfd);
}

int openDevice(const std::string& path, UniqueFd& out) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return openErrorCode(errno);
    out = UniqueFd(fd);
    return 0;
}

// Takes the device for this process alone; everything taken is released by the entry's
// destructor when a later step fails.
int takeDevice(PortEntry& entry) {
    termios t{};
    if (::tcgetattr(entry.fd.get(), &t) != 0)
        return kOpenNotValid;  // not a terminal
    int r;
    do {
        r = ::flock(entry.fd.get(), LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0)
        return errno == EWOULDBLOCK ? kOpenInUse : kOpenFailed;
    if (::ioctl(entry.fd.get(), TIOCEXCL) != 0)
        return kOpenFailed;
    entry.exclusive = true;
    return 0;
}

}  // namespace

int SerOpenPort(SerialConfig& config) {
    auto target = resolve(config);
    if (!target)
        return kOpenNotValid;
    auto& table = PortTable::instance();
    std::string real = canonical(target->path);
    if (table.holds(real) || (target->index >= 0 && table.find(target->index))) {
        return kOpenAlreadyOpen;
    }

    auto entry = std::make_shared<PortEntry>();
    entry->path = real;
    if (int code = openDevice(target->path, entry->fd))
        return code;
    if (int code = takeDevice(*entry))
        return code;
    requestLowLatency(entry->fd.get(), real);

    int index = table.insert(target->index, entry);
    if (index < 0)
        return kOpenAlreadyOpen;
    config.setPortNum(index + 1);
    return 0;
}

int SerConfigure(const SerialConfig& config) {
    PortPtr entry = PortTable::instance().find(config.getPort() - 1);
    if (!entry)
        return kOpenNotValid;
    int fd = entry->fd.get();
    termios current{};
    if (::tcgetattr(fd, &current) != 0)
        return errno;
    auto wanted = buildTermios(config, current);
    if (!wanted)
        return kConfigUnsupported;
    if (::tcsetattr(fd, TCSANOW, &*wanted) != 0)
        return errno;
    // The driver may take part of a request silently: check what matters on every line.
    termios got{};
    if (::tcgetattr(fd, &got) != 0)
        return errno;
    if (::cfgetospeed(&got) != ::cfgetospeed(&*wanted) ||
        (got.c_cflag & CSIZE) != (wanted->c_cflag & CSIZE)) {
        return kConfigUnsupported;
    }
    // Buffer sizes belong to the driver here; the requested sizes are not needed.
    return 0;
}

int SerClosePort(int port) {
    PortPtr entry = PortTable::instance().remove(port);
    if (!entry)
        return 1;
    entry->closed.store(true);
    // Operations still running on other threads keep the descriptor until they return.
    return 0;
}

}  // namespace vemo::serial
