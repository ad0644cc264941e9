#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "serial/serial_config.h"

namespace vemo::serial {

// The operations of one serial port. Every operation may fail with a SerialError carrying
// the reason as text.
class SerialPort {
  public:
    using Bytes = std::span<const std::uint8_t>;
    using Buffer = std::span<std::uint8_t>;

    virtual ~SerialPort() = default;

    virtual void setConfig(const SerialConfig& config) = 0;
    virtual const SerialConfig& getConfig() const = 0;
    virtual void configure() = 0;
    virtual void configure(const SerialConfig& config) = 0;
    virtual void close() = 0;

    virtual void putByte(std::uint8_t byte) = 0;
    virtual void putString(std::string_view text) = 0;
    virtual void putData(Bytes data) = 0;
    virtual void putData(Bytes data, int count) = 0;
    virtual void putData(Bytes data, int offset, int count) = 0;
    // A byte 0 to 255, or -1 when none came.
    virtual int getByte() = 0;
    virtual int getData(Buffer data) = 0;
    // An absent array (no data pointer) gives 0.
    virtual int getData(Buffer data, int offset, int count) = 0;

    virtual void rxFlush() = 0;
    virtual void txFlush() = 0;
    virtual void txDrain() = 0;
    virtual int rxReadyCount() = 0;
    virtual int txBufCount() = 0;
    virtual bool rxOverflow() = 0;

    virtual bool sigDSR() = 0;
    virtual bool sigCTS() = 0;
    virtual bool sigCD() = 0;
    virtual bool sigFrameErr() = 0;
    virtual bool sigOverrun() = 0;
    virtual bool sigParityErr() = 0;
    virtual bool sigRing() = 0;
    virtual bool sigBreak() = 0;

    virtual void setDTR(bool on) = 0;
    virtual void setRTS(bool on) = 0;
    virtual void sendBreak(int milliseconds) = 0;

    virtual int getTimeoutRx() = 0;
    virtual int getTimeoutTx() = 0;
    virtual void setTimeoutRx(int milliseconds) = 0;
    virtual void setTimeoutTx(int milliseconds) = 0;

    virtual int getLibVer() = 0;
    // The port index counted from 0; -1 while not open.
    virtual int getPortNum() const = 0;
    virtual void setName(const std::string& name) = 0;
    virtual std::string getName() const = 0;
};

}  // namespace vemo::serial
