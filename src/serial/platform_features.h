#pragma once

#include <optional>
#include <string>

namespace vemo::serial {

// Which optional port operations a system's driver offers.
struct Features {
    bool supSigBreak = false;
    bool supSigFrameErr = false;
    bool supSigOverrun = false;
    bool supSigParityErr = false;
    bool supRxOverflow = false;
    bool supSigRing = false;
    bool supSigCTS = false;
    bool supSigDSR = false;
    bool supSigCD = false;
    bool supSetRTS = false;
    bool supSetDTR = false;
    bool supRxReadyCount = false;
    bool supTxBufCount = false;
    bool supSetTimeoutTx = false;
    bool supGetTimeoutTx = false;
    bool layerGetDataTimeout = false;
    std::string devName;
};

Features featuresFor(const std::string& osName);

// The back-end serving a system on a processor family (and, for the Windows family, a
// runtime version and vendor); nothing when the system is not served.
std::optional<std::string> backendFor(const std::string& osName, const std::string& arch,
                                      const std::string& runtimeVersion = "",
                                      const std::string& runtimeVendor = "");

// The back-end of the running system, chosen once. A system that is not served ends the
// process with exit code 1 after printing "Platform not supported".
const std::string& selectBackend();

}  // namespace vemo::serial
