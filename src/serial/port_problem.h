#pragma once

#include <string>
#include <vector>

#include "serial/serial_line.h"

namespace vemo::serial {

// A serial device of this machine and the stable names that lead to it.
struct SerialDevice {
    std::string path;                      // e.g. /dev/ttyUSB0
    std::vector<std::string> stableNames;  // e.g. /dev/serial/by-id/usb-...-port0
};

// The serial devices present: ports with hardware behind them (adapters, built-in UARTs that
// answer) and the /dev/serial/by-id and by-path names. The roots are for tests.
std::vector<SerialDevice> listSerialDevices(const std::string& devRoot = "/dev",
                                            const std::string& sysRoot = "/sys");

// One line per device: the path, then its stable names.
std::vector<std::string> serialDeviceLines(const std::vector<SerialDevice>& devices);

// The processes (id and name) that hold the device open, as far as this user may see.
std::vector<std::string> processesUsing(const std::string& devicePath);

// What an operator reads when the port named in the settings did not open with the given
// system error: which problem it is and what to do about it. The first line names the port.
std::vector<std::string> explainPortProblem(const std::string& portName, PortFailure failure,
                                            const std::string& devRoot = "/dev",
                                            const std::string& sysRoot = "/sys");

}  // namespace vemo::serial
