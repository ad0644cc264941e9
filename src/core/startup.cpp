#include "core/startup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "core/settings.h"
#include "core/utils.h"

namespace vemo::core {

bool redirectLog(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::fflush(stdout);
    bool ok = ::dup2(fd, STDOUT_FILENO) >= 0;
    ::close(fd);
    return ok;
}

std::optional<int> init(StartupWiring& wiring) {
    // The settings.
    SettingsRead read = GetProps();
    if (read.result == PropsResult::missing) {
        Utils::DelayT(5000);
        return 1;
    }
    Settings& settings = read.settings;
    // The deck command port.
    if (!wiring.MakeSerialPort(settings.comport1)) {
        Utils::OutLine("Serial port " + settings.comport1 + " for VCR not available.");
        wiring.explainPortFailure(settings.comport1);
        Utils::DelayT(5000);
        return 0;
    }
    wiring.setwait(9);
    Utils::OutLine("Serial Port " + settings.comport1 + " Opened OK");
    // Name, title, echo.
    nameEdition(settings);
    Utils::OutLine(settings.title);
    showprops(settings);
    Utils::OutLine("");
    // The deck controller.
    wiring.createController(settings);
    return std::nullopt;
}

}  // namespace vemo::core
