// SerialPortLocal: moving bytes, lines and timeouts through the platform operations.
#include <string>
#include <vector>

#include "serial/platform.h"
#include "serial/serial_error.h"
#include "serial/serial_port_local.h"

namespace vemo::serial {
namespace {

std::string sentOnly(const char* lead, int sent, int total) {
    return std::string(lead) + std::to_string(sent) + " of " + std::to_string(total) + " bytes";
}

bool outOfBounds(std::size_t size, int offset, int count) {
    return offset < 0 || count < 0 ||
           static_cast<std::size_t>(offset) + static_cast<std::size_t>(count) > size;
}

}  // namespace

// Receive waits are timed by the platform operations themselves (they wait on the driver
// against the timeout's deadline), so the layer adds no wait of its own: a second, polling
// wait here would only spin the processor and double the time.

void SerialPortLocal::putByte(std::uint8_t byte) {
    if (SerPutByte(getPortNum(), byte) != 0)
        throw SerialError("PutByte failed");
}

void SerialPortLocal::putString(std::string_view text) {
    if (text.empty())
        return;
    int total = static_cast<int>(text.size());
    int sent = SerPutData(getPortNum(), reinterpret_cast<const std::uint8_t*>(text.data()), total);
    if (sent < total)
        throw SerialError(sentOnly("PutString: sent only ", sent, total));
}

void SerialPortLocal::putData(Bytes data) {
    if (data.empty())
        return;
    int total = static_cast<int>(data.size());
    int sent = SerPutData(getPortNum(), data.data(), total);
    if (sent < total)
        throw SerialError(sentOnly("PutData1: Sent only ", sent, total));
}

void SerialPortLocal::putData(Bytes data, int count) {
    if (count < 0 || static_cast<std::size_t>(count) > data.size()) {
        throw SerialError("putData: count out of bounds");
    }
    if (count == 0)
        return;
    int sent = SerPutData(getPortNum(), data.data(), count);
    if (sent < count)
        throw SerialError(sentOnly("PutData2: Sent only ", sent, count));
}

void SerialPortLocal::putData(Bytes data, int offset, int count) {
    if (outOfBounds(data.size(), offset, count))
        throw SerialError("putData3: count out of bounds");
    if (count == 0)
        return;
    int sent = SerPutData(getPortNum(), data.data() + offset, count);
    if (sent < count)
        throw SerialError(sentOnly("Sent only ", sent, count));
}

int SerialPortLocal::getByte() {
    requireOpen("getByte");
    return SerGetByte(getPortNum());
}

int SerialPortLocal::getData(Buffer data) {
    if (data.empty())
        return 0;
    int n = SerGetData(getPortNum(), data.data(), static_cast<int>(data.size()));
    if (n == -1)
        throw SerialError("getData: failed");
    return n;
}

int SerialPortLocal::getData(Buffer data, int offset, int count) {
    if (data.data() == nullptr)
        return 0;
    if (outOfBounds(data.size(), offset, count))
        throw SerialError("getData: count out of bounds");
    return getData(data.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(count)));
}

void SerialPortLocal::rxFlush() {
    if (SerRxFlush(getPortNum()) == -1)
        throw SerialError("rxFlush failed");
}
void SerialPortLocal::txFlush() {
    if (SerTxFlush(getPortNum()) == -1)
        throw SerialError("txFlush failed");
}
void SerialPortLocal::txDrain() {
    if (SerTxDrain(getPortNum()) == -1)
        throw SerialError("txDrain failed");
}

int SerialPortLocal::rxReadyCount() {
    requireSupport(features_.supRxReadyCount, "rxReadyCount");
    requireOpen("rxReadyCount");
    int n = SerRxReadyCount(getPortNum());
    if (n == -1)
        throw SerialError("rxReadyCount failed");
    return n;
}

int SerialPortLocal::txBufCount() {
    requireSupport(features_.supTxBufCount, "txBufCount");
    requireOpen("txBufCount");
    int n = SerTxBufCount(getPortNum());
    if (n == -1)
        throw SerialError("txBufCount failed");
    return n;
}

namespace {
// A line or condition reported by the platform: 1 present, 0 not, -1 failure.
bool signalValue(int r, const char* operation) {
    if (r == -1)
        throw SerialError(std::string(operation) + " failed");
    return r == 1;
}
}  // namespace

bool SerialPortLocal::rxOverflow() {
    requireSupport(features_.supRxOverflow, "rxOverflow");
    requireOpen("rxOverflow");
    return signalValue(SerRxOverflow(getPortNum()), "rxOverflow");
}

bool SerialPortLocal::sigDSR() {
    requireOpen("sigDSR");
    return signalValue(SerSigDSR(getPortNum()), "sigDSR");
}

bool SerialPortLocal::sigCTS() {
    requireOpen("sigCTS");
    return signalValue(SerSigCTS(getPortNum()), "sigCTS");
}

bool SerialPortLocal::sigCD() {
    requireSupport(features_.supSigCD, "sigCD");
    requireOpen("sigCD");
    return signalValue(SerSigCD(getPortNum()), "sigCD");
}

bool SerialPortLocal::sigFrameErr() {
    requireSupport(features_.supSigFrameErr, "sigFrameErr");
    requireOpen("sigFrameErr");
    return signalValue(SerSigFrameErr(getPortNum()), "sigFrameErr");
}

bool SerialPortLocal::sigOverrun() {
    requireSupport(features_.supSigOverrun, "sigOverrun");
    requireOpen("sigOverrun");
    return signalValue(SerSigOverrun(getPortNum()), "sigOverrun");
}

bool SerialPortLocal::sigBreak() {
    requireSupport(features_.supSigBreak, "sigBreak");
    requireOpen("sigBreak");
    return signalValue(SerSigBreak(getPortNum()), "sigBreak");
}

bool SerialPortLocal::sigParityErr() {
    requireSupport(features_.supSigParityErr, "sigParityErr");
    requireOpen("sigParityErr");
    return SerSigParityErr(getPortNum()) == 1;
}

bool SerialPortLocal::sigRing() {
    requireSupport(features_.supSigRing, "sigRing");
    requireOpen("sigRing");
    return SerSigRing(getPortNum()) == 1;
}

void SerialPortLocal::setDTR(bool on) {
    requireSupport(features_.supSetDTR, "setDTR");
    if (SerSetDTR(getPortNum(), on) == -1)
        throw SerialError("setDTR failed");
}

void SerialPortLocal::setRTS(bool on) {
    requireSupport(features_.supSetRTS, "setRts");
    if (SerSetRTS(getPortNum(), on) == -1)
        throw SerialError("setRTS failed");
}

void SerialPortLocal::sendBreak(int milliseconds) {
    if (SerSendBreak(getPortNum(), milliseconds) == -1)
        throw SerialError("sendBreak failed");
}

void SerialPortLocal::setTimeoutRx(int milliseconds) {
    if (SerSetTimeoutRx(getPortNum(), milliseconds) == -1) {
        throw SerialError("setTimeoutRx failed");
    }
}

void SerialPortLocal::setTimeoutTx(int milliseconds) {
    if (SerSetTimeoutTx(getPortNum(), milliseconds) == -1) {
        throw SerialError("setTimeoutTx failed");
    }
}

int SerialPortLocal::getTimeoutRx() {
    return SerGetTimeoutRx(getPortNum());
}
int SerialPortLocal::getTimeoutTx() {
    return SerGetTimeoutTx(getPortNum());
}
int SerialPortLocal::getLibVer() {
    return SerGetLibVer();
}

}  // namespace vemo::serial
