#include "core/startup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "core/ravlin.h"
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
    // 4.2: the settings.
    if (GetProps() == PropsResult::missing) {
        Utils::DelayT(5000);
        return 1;
    }
    // 4.3: the deck command port.
    if (!wiring.MakeSerialPort(Ravlin::comport1)) {
        Utils::OutLine("Serial port " + Ravlin::comport1 + " for VCR not available.");
        Utils::DelayT(5000);
        return 0;
    }
    wiring.setwait(9);
    Utils::OutLine("Serial Port " + Ravlin::comport1 + " Opened OK");
    // 4.4 - 4.7: name, title, echo.
    Ravlin::name = Ravlin::recon ? " Halvo" : " Vemo";
    Ravlin::title = Ravlin::name + kTitleTail;
    Utils::OutLine(Ravlin::title);
    showprops();
    Utils::OutLine("");
    // 4.8: the deck controller.
    wiring.createController();
    return std::nullopt;
}

}  // namespace vemo::core
