#include "serial/serial_port_local.h"

#include <vector>

#include "serial/os_info.h"
#include "serial/platform.h"
#include "serial/serial_error.h"

namespace vemo::serial {
namespace {

std::string openFailure(int code) {
    switch (code) {
        case kOpenAlreadyOpen:
            return "Port is already open";
        case kOpenInUse:
            return "Port is in use";
        case kOpenNotValid:
            return "Port not valid";
        default:
            return std::to_string(code);
    }
}

}  // namespace

SerialPortLocal::SerialPortLocal(const SerialConfig& config)
    : nativeLib_(selectBackend()), osName_(serial::osName()), config_(config) {
    features_ = featuresFor(osName_);
    open();
}

SerialPortLocal::~SerialPortLocal() {
    try {
        close();
    } catch (const SerialError&) {
        // A port that will not close on the way out has nothing left to tell anyone.
    }
}

void SerialPortLocal::open() {
    if (osName_ != "Windows 95")
        config_.setHardFlow(false);
    openAndConfigure("SerOpenPort failed: ");
}

void SerialPortLocal::openAndConfigure(const char* failurePrefix) {
    if (int code = SerOpenPort(config_))
        throw SerialError(failurePrefix + openFailure(code));
    isOpen_.store(true);
    port_.store(config_.getPort() - 1);
    try {
        configure(config_);
        if (osName_ == "Mac OS") {
            setTimeoutRx(2000);
            setTimeoutTx(2000);
        } else {
            setTimeoutRx(0);
            if (features_.supSetTimeoutTx)
                setTimeoutTx(0);
        }
    } catch (...) {
        // A port that cannot be set up is given back at once, not left half open.
        close();
        throw;
    }
}

void SerialPortLocal::configure() {
    configure(config_);
}

void SerialPortLocal::configure(const SerialConfig& config) {
    stopFlowControl();
    if (&config != &config_)
        config_ = config;
    if (int code = SerConfigure(config_)) {
        throw SerialError("Configure failed: " + std::to_string(code));
    }
    int hs = config_.getHandshake();
    if (config_.getHardFlow() && osName_ == "Windows 95" && (hs == 2 || hs == 3) && !flowControl_) {
        flowControl_ = std::make_unique<FlowControlTask>(*this, getPortNum());
        flowControl_->start();
    }
}

void SerialPortLocal::stopFlowControl() {
    if (flowControl_)
        flowControl_->stop();
    flowControl_.reset();
}

void SerialPortLocal::close() {
    stopFlowControl();
    if (getPortNum() < 0)
        return;
    if (SerClosePort(getPortNum()) != 0)
        throw SerialError("ClosePort failed");
    isOpen_.store(false);
    port_.store(-1);
}

void SerialPortLocal::reset() {
    close();
    openAndConfigure("reset: SerOpenPort failed: ");
}

void SerialPortLocal::requireOpen(const char* operation) const {
    if (getPortNum() < 0)
        throw SerialError(std::string(operation) + ": Port not open");
}

void SerialPortLocal::requireSupport(bool supported, const char* operation) const {
    if (!supported)
        throw SerialError(std::string(operation) + " not supported on " + osName_);
}

bool SerialPortLocal::isSupported(const std::string& op) const {
    const Features& f = features_;
    if (op == "sigBreak")
        return f.supSigBreak;
    if (op == "sigFrameErr")
        return f.supSigFrameErr;
    if (op == "sigOverrun")
        return f.supSigOverrun;
    if (op == "sigParityErr")
        return f.supSigParityErr;
    if (op == "rxOverflow")
        return f.supRxOverflow;
    if (op == "sigRing")
        return f.supSigRing;
    if (op == "sigCTS")
        return f.supSigCTS;
    if (op == "sigDSR")
        return f.supSigDSR;
    if (op == "sigCD")
        return f.supSigCD;
    if (op == "setRTS")
        return f.supSetRTS;
    if (op == "setDTR")
        return f.supSetDTR;
    if (op == "rxReadyCount")
        return f.supRxReadyCount;
    if (op == "txBufCount")
        return f.supTxBufCount;
    if (op == "setTimeoutTx")
        return f.supSetTimeoutTx;
    return false;
}

}  // namespace vemo::serial
