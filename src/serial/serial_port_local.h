#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "serial/flow_control_task.h"
#include "serial/platform_features.h"
#include "serial/serial_port.h"

namespace vemo::serial {

// A serial port on this machine's driver, opened by its constructor (a SerialError when it
// does not open, so the caller never holds a half-open port) and closed when discarded.
class SerialPortLocal : public SerialPort {
  public:
    explicit SerialPortLocal(const SerialConfig& config);
    ~SerialPortLocal() override;
    SerialPortLocal(const SerialPortLocal&) = delete;
    SerialPortLocal& operator=(const SerialPortLocal&) = delete;

    void setConfig(const SerialConfig& config) override { config_ = config; }
    const SerialConfig& getConfig() const override { return config_; }
    void configure() override;
    void configure(const SerialConfig& config) override;
    void close() override;
    // Closes, then opens and configures the port again.
    void reset();

    void putByte(std::uint8_t byte) override;
    void putString(std::string_view text) override;
    void putData(Bytes data) override;
    void putData(Bytes data, int count) override;
    void putData(Bytes data, int offset, int count) override;
    int getByte() override;
    int getData(Buffer data) override;
    int getData(Buffer data, int offset, int count) override;

    void rxFlush() override;
    void txFlush() override;
    void txDrain() override;
    int rxReadyCount() override;
    int txBufCount() override;
    bool rxOverflow() override;

    bool sigDSR() override;
    bool sigCTS() override;
    bool sigCD() override;
    bool sigFrameErr() override;
    bool sigOverrun() override;
    bool sigParityErr() override;
    bool sigRing() override;
    bool sigBreak() override;

    void setDTR(bool on) override;
    void setRTS(bool on) override;
    void sendBreak(int milliseconds) override;

    int getTimeoutRx() override;
    int getTimeoutTx() override;
    void setTimeoutRx(int milliseconds) override;
    void setTimeoutTx(int milliseconds) override;

    int getLibVer() override;
    int getPortNum() const override { return port_.load(); }
    bool isOpen() const { return isOpen_.load(); }
    void setName(const std::string& name) override { name_ = name; }
    std::string getName() const override { return name_; }
    std::string getName(int /*number*/) const { return "Not implemented"; }

    // The operation names of the optional operations ("sigBreak", "setDTR", ...).
    bool isSupported(const std::string& operation) const;

    // Settings passed straight to the configuration, in force from the next configure.
    void setPortName(std::string_view name) { config_.setPortName(name); }
    void setBitRate(int code) { config_.setBitRate(code); }
    void setDataBits(int code) { config_.setDataBits(code); }
    void setStopBits(int code) { config_.setStopBits(code); }
    void setParity(int code) { config_.setParity(code); }
    void setHandshake(int code) { config_.setHandshake(code); }
    std::string getPortName() const { return config_.portNameText(); }
    int getBitRate() const { return config_.getBitRate(); }
    int getDataBits() const { return config_.getDataBits(); }
    int getStopBits() const { return config_.getStopBits(); }
    int getParity() const { return config_.getParity(); }
    int getHandshake() const { return config_.getHandshake(); }

    const std::string& nativeLib() const { return nativeLib_; }
    const std::string& osName() const { return osName_; }
    const std::string& devName() const { return features_.devName; }
    bool layerGetDataTimeout() const { return features_.layerGetDataTimeout; }

  private:
    void open();
    void openAndConfigure(const char* failurePrefix);
    void stopFlowControl();
    void requireOpen(const char* operation) const;
    void requireSupport(bool supported, const char* operation) const;

    std::string nativeLib_;
    std::atomic<int> port_{-1};
    std::atomic<bool> isOpen_{false};
    std::string name_ = "Serial Port";
    std::string osName_;
    SerialConfig config_;
    Features features_;
    std::unique_ptr<FlowControlTask> flowControl_;
};

}  // namespace vemo::serial
