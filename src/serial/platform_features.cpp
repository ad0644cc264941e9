#include "serial/platform_features.h"

#include <cstdlib>
#include <mutex>

#include "core/utils.h"
#include "serial/os_info.h"

namespace vemo::serial {
namespace {

bool isOneOf(const std::string& s, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        if (s == n)
            return true;
    }
    return false;
}

}  // namespace

Features featuresFor(const std::string& os) {
    Features f;
    if (isOneOf(os, {"Windows 95", "Windows NT", "Windows 98", "OS/2"})) {
        f.supSigBreak = f.supSigFrameErr = f.supSigOverrun = f.supSigParityErr = true;
        f.supRxOverflow = f.supSigRing = f.supSigCTS = f.supSigDSR = f.supSigCD = true;
        f.supSetRTS = f.supSetDTR = f.supRxReadyCount = f.supTxBufCount = true;
        f.supSetTimeoutTx = f.supGetTimeoutTx = true;
        f.devName = "COM1";
    } else if (os == "Mac OS") {
        f.supSigBreak = f.supSigFrameErr = f.supSigParityErr = f.supSigOverrun = true;
        f.supRxOverflow = f.supRxReadyCount = f.supSetTimeoutTx = f.supGetTimeoutTx = true;
        f.supSigCTS = f.supSetDTR = true;
        f.layerGetDataTimeout = true;
        f.devName = "Modem Port";
    } else if (isOneOf(os, {"Linux", "FreeBSD", "Solaris", "HP/UX", "IRIX", "AIX"})) {
        f.supSigRing = f.supSetRTS = f.supSetDTR = f.supSigCD = true;
        f.supRxReadyCount = f.supTxBufCount = f.supSigCTS = f.supSigDSR = true;
        f.layerGetDataTimeout = true;
        f.devName = os == "Linux" ? "/dev/ttyS0" : os == "Solaris" ? "/dev/ttya" : "/dev/tty0";
    }
    // This spelling of the name stands for drivers without these lines.
    if (os == "Irix")
        f.supSetRTS = f.supSetDTR = f.supSigCTS = false;
    return f;
}

std::optional<std::string> backendFor(const std::string& os, const std::string& arch,
                                      const std::string& runtimeVersion,
                                      const std::string& runtimeVendor) {
    bool v102 = runtimeVersion == "1.0.2" || runtimeVersion == "102";
    if (os == "Windows 95" || os == "Windows NT") {
        if (runtimeVendor == "Microsoft Corp.") {
            return std::string(runtimeVersion == "1.0.2" ? "serWinRnia" : "serWinRni");
        }
        return std::string(v102 ? "serWinNm" : "serWin");
    }
    if (os == "Windows CE")
        return "serWce";
    if (os == "OS/2")
        return "seros2j";
    if (os == "Mac OS")
        return "serMac";
    // The terminal back-end is built for the machine it runs on, whatever its processor.
    if (os == "Linux")
        return std::string(arch == "x86" ? "serLux86" : "serLux");
    if (os == "FreeBSD" && (arch == "i386" || arch == "x86"))
        return "serBsdx86";
    if (os == "Solaris" || os == "SunOS") {
        if (arch == "x86")
            return "serSolx86";
        if (arch == "sparc")
            return "serSolSparc";
    }
    if (os == "HP-UX" && arch == "PA-RISC")
        return "serHpxPaRisc";
    if (os == "Irix" && arch == "mips")
        return "serIrxMips";
    if (os == "AIX" && arch == "POWER_PC")
        return "serAixPpc";
    return std::nullopt;
}

const std::string& selectBackend() {
    static std::once_flag once;
    static std::string chosen;
    std::call_once(once, [] {
        auto name = backendFor(osName(), osArch());
        if (!name) {
            core::Utils::OutLine("Platform not supported");
            std::exit(1);
        }
        // The back-end is linked into the program, so it cannot fail to load.
        chosen = *name;
    });
    return chosen;
}

}  // namespace vemo::serial
