#include "serial/port_problem.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "serial/serial_line.h"

namespace vemo::serial {
namespace {

namespace fs = std::filesystem;

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// A tty of the kernel's list is a serial port when a device stands behind it; the built-in
// UART slots (ttyS) exist whether or not a chip answers, and a "type" of 0 says none does.
bool isSerialPort(const fs::path& sysTty) {
    std::error_code ec;
    if (!fs::exists(sysTty / "device", ec))
        return false;
    std::string name = sysTty.filename().string();
    if (name.rfind("ttyS", 0) == 0 && fs::exists(sysTty / "type", ec))
        return firstLine(sysTty / "type") != "0";
    return true;
}

std::string groupName(gid_t gid) {
    if (const group* g = ::getgrgid(gid))
        return g->gr_name;
    return std::to_string(gid);
}

std::string userName() {
    if (const passwd* p = ::getpwuid(::geteuid()))
        return p->pw_name;
    return "$USER";
}

}  // namespace

std::vector<SerialDevice> listSerialDevices(const std::string& devRoot,
                                            const std::string& sysRoot) {
    std::map<std::string, SerialDevice> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(sysRoot) / "class/tty", ec)) {
        if (isSerialPort(entry.path())) {
            std::string path = (fs::path(devRoot) / entry.path().filename()).string();
            found[path].path = path;
        }
    }
    for (const char* folder : {"serial/by-id", "serial/by-path"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(devRoot) / folder, ec)) {
            fs::path target = fs::weakly_canonical(entry.path(), ec);
            if (ec)
                continue;
            // The links point into /dev; under a test root they point into that root.
            std::string path = target.string();
            found[path].path = path;
            found[path].stableNames.push_back(entry.path().string());
        }
    }
    std::vector<SerialDevice> devices;
    for (auto& [path, device] : found) {
        std::sort(device.stableNames.begin(), device.stableNames.end());
        devices.push_back(std::move(device));
    }
    return devices;
}

std::vector<std::string> serialDeviceLines(const std::vector<SerialDevice>& devices) {
    std::vector<std::string> lines;
    for (const auto& d : devices) {
        std::string line = d.path;
        for (const auto& name : d.stableNames)
            line += "  " + name;
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> processesUsing(const std::string& devicePath) {
    std::error_code ec;
    fs::path device = fs::canonical(devicePath, ec);
    if (ec)
        return {};
    std::vector<std::string> holders;
    for (const auto& proc : fs::directory_iterator("/proc", ec)) {
        std::string pid = proc.path().filename().string();
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), ::isdigit))
            continue;
        std::error_code fdEc;
        for (const auto& fd : fs::directory_iterator(proc.path() / "fd", fdEc)) {
            std::error_code linkEc;
            if (fs::read_symlink(fd.path(), linkEc) == device) {
                holders.push_back(pid + " (" + firstLine(proc.path() / "comm") + ")");
                break;
            }
        }
    }
    return holders;
}

std::vector<std::string> explainPortProblem(const std::string& portName, PortFailure failure,
                                            const std::string& devRoot,
                                            const std::string& sysRoot) {
    std::vector<std::string> lines;
    const int error = failure.error;
    auto listDevices = [&] {
        auto devices = serialDeviceLines(listSerialDevices(devRoot, sysRoot));
        if (devices.empty()) {
            lines.push_back(
                "No serial devices were found on this machine: is the adapter "
                "plugged in?");
            return;
        }
        lines.push_back("Serial devices here:");
        for (auto& d : devices)
            lines.push_back("  " + d);
    };
    auto path = devicePath(portName);
    if (!path) {
        lines.push_back(portName +
                        " is not a serial port name: use the device path (such as "
                        "/dev/ttyUSB0 or a /dev/serial/by-id name), or COMn for /dev/ttyS<n-1>.");
        listDevices();
        return lines;
    }
    const std::string name = portName == *path ? portName : portName + " (" + *path + ")";
    if (failure.settingsRefused || error == 0) {
        std::string why = error != 0 ? std::string(": ") + std::strerror(error) : "";
        lines.push_back(name + " opened, but does not take the deck's line settings" + why + ".");
        return lines;
    }
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            lines.push_back(name + " does not exist.");
            listDevices();
            break;
        case ENXIO:
        case ENODEV:
        case EIO:
            lines.push_back(name + " exists, but no serial hardware answers behind it.");
            listDevices();
            break;
        case ENOTTY:
        case EISDIR:
            lines.push_back(name + " is not a serial device.");
            listDevices();
            break;
        case EACCES:
        case EPERM: {
            struct stat st {};
            std::string group = ::stat(path->c_str(), &st) == 0 ? groupName(st.st_gid) : "dialout";
            std::string user = userName();
            lines.push_back(name + ": permission denied. The device belongs to the group " + group +
                            ", and " + user + " may not open it.");
            lines.push_back(
                "Add the user to that group, then log out and in again: sudo usermod "
                "-aG " +
                group + " " + user);
            break;
        }
        case EBUSY: {
            auto holders = processesUsing(*path);
            if (holders.empty()) {
                lines.push_back(name + " is already in use by another program.");
            } else {
                std::string list;
                for (const auto& h : holders)
                    list += (list.empty() ? "" : ", ") + h;
                lines.push_back(name + " is already in use by process " + list + ".");
            }
            lines.push_back(
                "Close that program (another console on the same deck?) and start "
                "again.");
            break;
        }
        default:
            lines.push_back(name + " cannot be opened: " + std::strerror(error) + ".");
            break;
    }
    return lines;
}

}  // namespace vemo::serial
