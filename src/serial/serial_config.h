#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vemo::serial {

// The line settings of one port: constructed, adjusted through the checked setters, then
// handed to the port, which applies them when it opens or is configured again.
class SerialConfig {
  public:
    using Bytes = std::vector<std::uint8_t>;

    static constexpr int BR_110 = 0;
    static constexpr int BR_150 = 1;
    static constexpr int BR_300 = 2;
    static constexpr int BR_600 = 3;
    static constexpr int BR_1200 = 4;
    static constexpr int BR_2400 = 5;
    static constexpr int BR_4800 = 6;
    static constexpr int BR_9600 = 7;
    static constexpr int BR_19200 = 8;
    static constexpr int BR_38400 = 9;
    static constexpr int BR_57600 = 10;
    static constexpr int BR_115200 = 11;

    static constexpr int PY_NONE = 0;
    static constexpr int PY_ODD = 1;
    static constexpr int PY_EVEN = 2;
    static constexpr int PY_MARK = 3;

    static constexpr int LN_5BITS = 0;
    static constexpr int LN_6BITS = 1;
    static constexpr int LN_7BITS = 2;
    static constexpr int LN_8BITS = 3;

    static constexpr int ST_1BITS = 0;
    static constexpr int ST_2BITS = 1;

    static constexpr int HS_NONE = 0;
    static constexpr int HS_XONXOFF = 1;
    static constexpr int HS_CTSRTS = 2;
    static constexpr int HS_CTSDTR = 2;
    static constexpr int HS_DSRDTR = 3;
    static constexpr int HS_HARD_IN = 16;
    static constexpr int HS_HARD_OUT = 32;
    static constexpr int HS_SOFT_IN = 64;
    static constexpr int HS_SOFT_OUT = 128;

    // portName "COM1", baseName "/dev/ttyS".
    SerialConfig();
    // A port by name, such as "COM1" or "/dev/ttyUSB0".
    explicit SerialConfig(std::string_view portName);
    // A numbered port (counted from 1) under baseName "/dev/ttyS".
    explicit SerialConfig(int port);
    SerialConfig(int port, int txLen, int rxLen);

    SerialConfig copy() const { return *this; }

    void setPortNum(int port);
    void setBitRate(int code);
    void setParity(int code);
    void setDataBits(int code);
    void setStopBits(int code);
    void setHandshake(int code);
    void setPortName(std::string_view name);
    void setBaseName(std::string_view name);
    void setHardFlow(bool on) { hardFlow_ = on; }
    void setTxLen(int bytes) { txLen_ = bytes; }
    void setRxLen(int bytes) { rxLen_ = bytes; }
    // The system whose rules the handshake check follows; set from the running system.
    void setOsName(std::string name) { osName_ = std::move(name); }

    int getPort() const { return port_; }
    int getTxLen() const { return txLen_; }
    int getRxLen() const { return rxLen_; }
    int getBitRate() const { return bitRate_; }
    int getParity() const { return parity_; }
    int getDataBits() const { return dataBits_; }
    int getStopBits() const { return stopBits_; }
    int getHandshake() const { return handshake_; }
    const Bytes& getPortName() const { return portName_; }
    const Bytes& getBaseName() const { return baseName_; }
    bool getHardFlow() const { return hardFlow_; }
    const std::string& getOsName() const { return osName_; }

    // The name arrays as text, up to the first zero byte.
    std::string portNameText() const;
    std::string baseNameText() const;

  private:
    int port_ = 0;
    Bytes portName_{0};
    Bytes baseName_{0};
    int txLen_ = 2048;
    int rxLen_ = 4096;
    int bitRate_ = BR_9600;
    int parity_ = PY_NONE;
    int dataBits_ = LN_8BITS;
    int stopBits_ = ST_1BITS;
    int handshake_ = HS_NONE;
    bool hardFlow_ = true;
    std::string osName_;
};

}  // namespace vemo::serial
