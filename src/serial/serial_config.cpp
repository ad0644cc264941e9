#include "serial/serial_config.h"

#include <stdexcept>

#include "serial/os_info.h"

namespace vemo::serial {
namespace {

SerialConfig::Bytes toBytes(std::string_view text) {
    return SerialConfig::Bytes(text.begin(), text.end());
}

std::string toText(const SerialConfig::Bytes& bytes) {
    std::string out;
    for (auto b : bytes) {
        if (b == 0)
            break;
        out.push_back(static_cast<char>(b));
    }
    return out;
}

// The systems whose drivers offer DSR/DTR handshaking.
bool hasDsrDtr(const std::string& os) {
    return os == "Windows 95" || os == "Windows NT" || os == "Windows CE" || os == "Windows 98" ||
           os == "OS/2";
}

}  // namespace

SerialConfig::SerialConfig() : portName_(toBytes("COM1")), baseName_(toBytes("/dev/ttyS")) {
    osName_ = osName();
}

SerialConfig::SerialConfig(std::string_view portName) : portName_(toBytes(portName)) {
    osName_ = osName();
}

SerialConfig::SerialConfig(int port) : port_(port), baseName_(toBytes("/dev/ttyS")) {
    osName_ = osName();
}

SerialConfig::SerialConfig(int port, int txLen, int rxLen) : SerialConfig(port) {
    txLen_ = txLen;
    rxLen_ = rxLen;
}

void SerialConfig::setPortNum(int port) {
    if (port < 0)
        throw std::invalid_argument("Invalid Port Number: " + std::to_string(port));
    port_ = port;
}

void SerialConfig::setBitRate(int code) {
    if (code < BR_110 || code > BR_115200) {
        throw std::invalid_argument("Invalid Serial Port Bit Rate");
    }
    bitRate_ = code;
}

void SerialConfig::setParity(int code) {
    // Mark parity is a code of its own but no driver here offers it.
    if (code < PY_NONE || code > PY_EVEN)
        throw std::invalid_argument("Invalid Serial Port Parity");
    parity_ = code;
}

void SerialConfig::setDataBits(int code) {
    if (code < LN_5BITS || code > LN_8BITS) {
        throw std::invalid_argument("Invalid Serial Port Data Bits");
    }
    dataBits_ = code;
}

void SerialConfig::setStopBits(int code) {
    if (code < ST_1BITS || code > ST_2BITS) {
        throw std::invalid_argument("Invalid Serial Port Stop Bits");
    }
    stopBits_ = code;
}

void SerialConfig::setHandshake(int code) {
    if (code == HS_DSRDTR && !hasDsrDtr(osName_)) {
        throw std::invalid_argument("DSRDTR handshaking not available on this platform");
    }
    bool simple = code >= HS_NONE && code <= HS_DSRDTR;
    bool flags = code >= HS_HARD_IN && code <= 240;
    if (!simple && !flags)
        throw std::invalid_argument("Invalid Serial Port Handshake");
    handshake_ = code;
}

void SerialConfig::setPortName(std::string_view name) {
    portName_ = toBytes(name);
}
void SerialConfig::setBaseName(std::string_view name) {
    baseName_ = toBytes(name);
}

std::string SerialConfig::portNameText() const {
    return toText(portName_);
}
std::string SerialConfig::baseNameText() const {
    return toText(baseName_);
}

}  // namespace vemo::serial
