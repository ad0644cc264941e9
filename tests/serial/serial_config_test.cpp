#include "serial/serial_config.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace vemo::serial {
namespace {

using C = SerialConfig;

// Runs the setter and returns the refusal text, or "" when the value was taken.
template <typename Fn>
std::string refusal(Fn fn) {
    try {
        fn();
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "";
}

TEST(SerialConfig, DefaultsAndConstructors) {
    C byDefault;
    EXPECT_EQ(byDefault.portNameText(), "COM1");
    EXPECT_EQ(byDefault.baseNameText(), "/dev/ttyS");
    EXPECT_EQ(byDefault.getPort(), 0);
    EXPECT_EQ(byDefault.getTxLen(), 2048);
    EXPECT_EQ(byDefault.getRxLen(), 4096);
    EXPECT_EQ(byDefault.getBitRate(), C::BR_9600);
    EXPECT_EQ(byDefault.getParity(), C::PY_NONE);
    EXPECT_EQ(byDefault.getDataBits(), C::LN_8BITS);
    EXPECT_EQ(byDefault.getStopBits(), C::ST_1BITS);
    EXPECT_EQ(byDefault.getHandshake(), C::HS_NONE);
    EXPECT_TRUE(byDefault.getHardFlow());
    EXPECT_EQ(byDefault.getOsName(), "Linux");

    C byName("/dev/ttyUSB0");
    EXPECT_EQ(byName.portNameText(), "/dev/ttyUSB0");
    EXPECT_EQ(byName.getBaseName(), C::Bytes{0});  // one zero byte

    C byNumber(3);
    EXPECT_EQ(byNumber.getPort(), 3);
    EXPECT_EQ(byNumber.getPortName(), C::Bytes{0});
    EXPECT_EQ(byNumber.baseNameText(), "/dev/ttyS");

    C withBuffers(2, 100, 200);
    EXPECT_EQ(withBuffers.getPort(), 2);
    EXPECT_EQ(withBuffers.getTxLen(), 100);
    EXPECT_EQ(withBuffers.getRxLen(), 200);
}

TEST(SerialConfig, CodesKeepTheirValues) {
    EXPECT_EQ(C::BR_110, 0);
    EXPECT_EQ(C::BR_38400, 9);
    EXPECT_EQ(C::BR_115200, 11);
    EXPECT_EQ(C::PY_MARK, 3);
    EXPECT_EQ(C::LN_5BITS, 0);
    EXPECT_EQ(C::ST_2BITS, 1);
    EXPECT_EQ(C::HS_CTSRTS, C::HS_CTSDTR);
    EXPECT_EQ(C::HS_DSRDTR, 3);
    EXPECT_EQ(C::HS_HARD_IN | C::HS_HARD_OUT | C::HS_SOFT_IN | C::HS_SOFT_OUT, 240);
}

TEST(SerialConfig, SettersTakeTheirRangeAndRefuseTheRest) {
    C c;
    EXPECT_EQ(refusal([&] { c.setPortNum(0); }), "");
    EXPECT_EQ(refusal([&] { c.setPortNum(-1); }), "Invalid Port Number: -1");
    EXPECT_EQ(c.getPort(), 0);

    for (int v : {0, 11})
        EXPECT_EQ(refusal([&] { c.setBitRate(v); }), "") << v;
    for (int v : {-1, 12}) {
        EXPECT_EQ(refusal([&] { c.setBitRate(v); }), "Invalid Serial Port Bit Rate") << v;
    }
    EXPECT_EQ(c.getBitRate(), 11);  // a refused value leaves the field as it was

    for (int v : {0, 2})
        EXPECT_EQ(refusal([&] { c.setParity(v); }), "") << v;
    for (int v : {-1, 3}) {
        EXPECT_EQ(refusal([&] { c.setParity(v); }), "Invalid Serial Port Parity") << v;
    }
    EXPECT_EQ(c.getParity(), 2);

    for (int v : {0, 3})
        EXPECT_EQ(refusal([&] { c.setDataBits(v); }), "") << v;
    for (int v : {-1, 4}) {
        EXPECT_EQ(refusal([&] { c.setDataBits(v); }), "Invalid Serial Port Data Bits") << v;
    }

    for (int v : {0, 1})
        EXPECT_EQ(refusal([&] { c.setStopBits(v); }), "") << v;
    for (int v : {-1, 2}) {
        EXPECT_EQ(refusal([&] { c.setStopBits(v); }), "Invalid Serial Port Stop Bits") << v;
    }
}

TEST(SerialConfig, HandshakeFollowsTheSystemRules) {
    C c;
    c.setOsName("Linux");
    for (int v : {0, 1, 2, 16, 100, 240})
        EXPECT_EQ(refusal([&] { c.setHandshake(v); }), "") << v;
    EXPECT_EQ(refusal([&] { c.setHandshake(3); }),
              "DSRDTR handshaking not available on this platform");
    EXPECT_EQ(c.getHandshake(), 240);
    for (int v : {-1, 4, 15, 241}) {
        EXPECT_EQ(refusal([&] { c.setHandshake(v); }), "Invalid Serial Port Handshake") << v;
    }

    for (const char* os : {"Windows 95", "Windows NT", "Windows CE", "Windows 98", "OS/2"}) {
        C w;
        w.setOsName(os);
        EXPECT_EQ(refusal([&] { w.setHandshake(3); }), "") << os;
        EXPECT_EQ(w.getHandshake(), 3);
    }
}

TEST(SerialConfig, NamesAndCopy) {
    C c;
    c.setPortName("COM4");
    c.setBaseName("/dev/ttyUSB");
    c.setHardFlow(false);
    c.setTxLen(-5);  // no check on these
    c.setRxLen(7);
    c.setBitRate(C::BR_38400);
    C d = c.copy();
    EXPECT_EQ(d.portNameText(), "COM4");
    EXPECT_EQ(d.getPortName(), (C::Bytes{'C', 'O', 'M', '4'}));
    EXPECT_EQ(d.baseNameText(), "/dev/ttyUSB");
    EXPECT_FALSE(d.getHardFlow());
    EXPECT_EQ(d.getTxLen(), -5);
    EXPECT_EQ(d.getRxLen(), 7);
    EXPECT_EQ(d.getBitRate(), C::BR_38400);
    // The copy is a settings record of its own.
    d.setPortName("COM5");
    EXPECT_EQ(c.portNameText(), "COM4");
}

}  // namespace
}  // namespace vemo::serial
