#include "serial/termios_builder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <numeric>
#include <vector>

#include "serial/platform.h"
#include "serial/serial_port_local.h"
#include "support/pty_pair.h"

namespace vemo::serial {
namespace {

using C = SerialConfig;
using namespace std::chrono_literals;

// The deck command line: 38400, 8 data bits, odd parity, 1 stop bit, no handshake.
SerialConfig deckLine(const std::string& name) {
    C c(name);
    c.setBitRate(C::BR_38400);
    c.setDataBits(C::LN_8BITS);
    c.setStopBits(C::ST_1BITS);
    c.setParity(C::PY_ODD);
    c.setHandshake(C::HS_NONE);
    c.setHardFlow(false);
    return c;
}

void expectRaw(const termios& t) {
    EXPECT_EQ(t.c_lflag & (ECHO | ECHOE | ECHONL | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF | PARMRK), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(BuildTermios, DeckLineFromCookedStart) {
    termios cooked{};
    cooked.c_iflag = ICRNL | IXON | ISTRIP | INLCR | IGNCR;
    cooked.c_oflag = OPOST | ONLCR;
    cooked.c_lflag = ECHO | ICANON | ISIG | IEXTEN;
    cooked.c_cflag = CS7 | CSTOPB | CRTSCTS;
    cooked.c_cc[VMIN] = 1;
    auto t = buildTermios(deckLine("COM1"), cooked);
    ASSERT_TRUE(t);
    EXPECT_EQ(cfgetospeed(&*t), static_cast<speed_t>(B38400));
    EXPECT_EQ(cfgetispeed(&*t), static_cast<speed_t>(B38400));
    EXPECT_EQ(t->c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t->c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));
    EXPECT_EQ(t->c_cflag & (CSTOPB | CRTSCTS | CMSPAR), 0u);
    expectRaw(*t);
}

TEST(BuildTermios, FramingAndHandshakeCodes) {
    C c("COM1");
    c.setParity(C::PY_EVEN);
    c.setStopBits(C::ST_2BITS);
    c.setDataBits(C::LN_7BITS);
    c.setHandshake(C::HS_XONXOFF);
    auto t = buildTermios(c);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB));
    EXPECT_NE(t->c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t->c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(t->c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(t->c_cflag & CRTSCTS, 0u);

    c.setHandshake(C::HS_CTSRTS);
    t = buildTermios(c);
    ASSERT_TRUE(t);
    EXPECT_NE(t->c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t->c_iflag & (IXON | IXOFF), 0u);

    c.setHandshake(C::HS_SOFT_OUT | C::HS_HARD_IN);
    t = buildTermios(c);
    ASSERT_TRUE(t);
    EXPECT_NE(t->c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t->c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON));

    // The terminal driver has no DSR/DTR flow control.
    C w("COM1");
    w.setOsName("Windows NT");
    w.setHandshake(C::HS_DSRDTR);
    EXPECT_FALSE(buildTermios(w));
}

TEST(BuildTermios, EveryBitRateCode) {
    const speed_t expected[] = {B110,  B150,  B300,   B600,   B1200,  B2400,
                                B4800, B9600, B19200, B38400, B57600, B115200};
    C c("COM1");
    for (int code = 0; code <= C::BR_115200; ++code) {
        c.setBitRate(code);
        auto t = buildTermios(c);
        ASSERT_TRUE(t) << code;
        EXPECT_EQ(cfgetospeed(&*t), expected[code]) << code;
    }
    EXPECT_EQ(speedFor(12), static_cast<speed_t>(B0));
}

TEST(PtyLine, DriverKeepsTheRawDeckSettings) {
    test::PtyPair pty;
    SerialPortLocal port(deckLine(pty.slaveName()));
    int fd = ::open(pty.slaveName().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    ::close(fd);
    // A pty keeps speed, size and the raw flags (it has no parity to keep).
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B38400));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (CRTSCTS | CSTOPB), 0u);
    expectRaw(t);
}

TEST(PtyLine, EveryByteValueCrossesUnchangedBothWays) {
    test::PtyPair pty;
    SerialPortLocal port(deckLine(pty.slaveName()));
    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);
    // The bytes a cooked line would eat or change, again at the end.
    for (std::uint8_t b : {0x0A, 0x0D, 0x11, 0x13, 0x7F, 0x03, 0x00, 0xFF})
        all.push_back(b);

    port.setTimeoutTx(kWaitForever);
    port.putData(all);
    EXPECT_EQ(pty.readMaster(all.size(), 5s), all);

    pty.writeMaster(all);
    port.setTimeoutRx(5000);
    std::vector<std::uint8_t> got(all.size());
    int n = port.getData(got);
    EXPECT_EQ(n, static_cast<int>(all.size()));
    EXPECT_EQ(got, all);
}

}  // namespace
}  // namespace vemo::serial
