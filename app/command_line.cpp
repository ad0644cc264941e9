#include "app/command_line.h"

#include <cstdio>
#include <string_view>

#include "serial/port_problem.h"
#include "vemo_version.h"

namespace vemo::app {
namespace {

constexpr const char* kUsage =
    "Usage: vemo [--help | --version | --list-ports]\n"
    "The Vemo console: controls one video tape deck or DVD recorder over a serial line, with\n"
    "a clip logger, an EDL maker, a script runner and a TCP command server.\n"
    "\n"
    "Started without these options, it reads VemoSettings.txt from the working folder, writes\n"
    "its log to VemoLog.txt there (emptied at each start), opens the deck port named by the\n"
    "COMPort key and shows the main window. Other arguments go to the window toolkit (for\n"
    "example -platform offscreen).\n"
    "\n"
    "  --help        print this text\n"
    "  --version     print the version\n"
    "  --list-ports  print the serial devices of this machine with their stable names\n"
    "\n"
    "Exit codes: 0 after a normal close, and also when the deck port cannot be opened (the\n"
    "reason is in VemoLog.txt, on standard error and in a dialog); 1 when VemoSettings.txt is\n"
    "missing or no display is available.\n";

int listPorts() {
    auto lines = serial::serialDeviceLines(serial::listSerialDevices());
    if (lines.empty())
        std::puts("No serial devices were found on this machine.");
    for (const auto& line : lines)
        std::puts(line.c_str());
    return 0;
}

}  // namespace

std::optional<int> answerCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("vemo %s\n", VEMO_VERSION);
            return 0;
        }
        if (arg == "--list-ports")
            return listPorts();
    }
    return std::nullopt;
}

}  // namespace vemo::app
