#pragma once

#include <cstdint>

#include "serial/serial_config.h"

// The platform operations of the serial layer: the back-end that talks to the operating
// system's serial driver. Ports are addressed by their index counted from 0.
namespace vemo::serial {

// Results of SerOpenPort besides 0.
inline constexpr int kOpenAlreadyOpen = 1000;
inline constexpr int kOpenFailed = 1001;  // the system refused for another reason
inline constexpr int kOpenInUse = 1002;
inline constexpr int kOpenNotValid = 1003;
// SerConfigure: a setting this driver cannot express.
inline constexpr int kConfigUnsupported = 1004;

// A receive or transmit timeout meaning "wait until done".
inline constexpr int kWaitForever = 2147483647;

int SerOpenPort(SerialConfig& config);
int SerConfigure(const SerialConfig& config);
int SerClosePort(int port);

int SerPutByte(int port, std::uint8_t byte);
int SerPutData(int port, const std::uint8_t* data, int count);
int SerGetByte(int port);
int SerGetData(int port, std::uint8_t* data, int count);

int SerRxReadyCount(int port);
int SerRxFlush(int port);
int SerTxFlush(int port);
int SerTxDrain(int port);
int SerTxBufCount(int port);
int SerRxOverflow(int port);

int SerSigCTS(int port);
int SerSigDSR(int port);
int SerSigCD(int port);
int SerSigRing(int port);
int SerSigBreak(int port);
int SerSigFrameErr(int port);
int SerSigParityErr(int port);
int SerSigOverrun(int port);

int SerSetDTR(int port, bool on);
int SerSetRTS(int port, bool on);
int SerSendBreak(int port, int milliseconds);

int SerSetTimeoutRx(int port, int milliseconds);
int SerSetTimeoutTx(int port, int milliseconds);
int SerGetTimeoutRx(int port);
int SerGetTimeoutTx(int port);

int SerGetLibVer();
int SerFlowTask(int port);

}  // namespace vemo::serial
