#include "serial/serial_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <numeric>
#include <vector>

#include "support/process.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace vemo::serial {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr LineSettings kDeckLine{38400, 8, 1, Parity::odd};

// The error text of an operation, or "" when it succeeded.
template <typename Fn>
std::string failure(Fn fn) {
    try {
        fn();
    } catch (const SerialError& e) {
        return e.what();
    }
    return "";
}

std::string openFailure(const std::string& name, const LineSettings& settings = {}) {
    return failure([&] { SerialLine line(name, settings); });
}

// Whether another opener could take the device now.
bool takenHere(const std::string& device) {
    int probe = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (probe < 0)
        return true;
    bool taken = ::flock(probe, LOCK_EX | LOCK_NB) != 0;
    ::close(probe);
    return taken;
}

TEST(SerialLineOpen, NamesThatAreNoSerialPort) {
    test::TempDir dir;
    dir.write("plain.txt", "x");
    for (std::string name :
         std::vector<std::string>{"", "COM0", "COMx", "com1", "ttyS0", "/no/such/device",
                                  "/dev/null", dir.file("plain.txt").string()}) {
        EXPECT_EQ(openFailure(name), "SerOpenPort failed: Port not valid") << name;
    }
}

TEST(SerialLineOpen, PortHeldByAnotherOpenerIsInUse) {
    test::PtyPair pty;
    int holder = ::open(pty.slaveName().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(openFailure(pty.slaveName()), "SerOpenPort failed: Port is in use");
    ::close(holder);
    EXPECT_EQ(openFailure(pty.slaveName()), "");
}

TEST(SerialLineOpen, SecondOpenHereIsInUseAndCloseReleases) {
    test::PtyPair pty;
    {
        SerialLine first(pty.slaveName(), kDeckLine);
        EXPECT_TRUE(first.isOpen());
        EXPECT_EQ(openFailure(pty.slaveName()), "SerOpenPort failed: Port is in use");
        first.close();
        first.close();  // closing twice is harmless
        EXPECT_FALSE(first.isOpen());
        EXPECT_FALSE(takenHere(pty.slaveName()));
        first.reopen();
        EXPECT_TRUE(first.isOpen());
        EXPECT_TRUE(takenHere(pty.slaveName()));
    }
    EXPECT_FALSE(takenHere(pty.slaveName()));  // discarding the line gave the lock back
}

// A pty keeps no parity bit, and the C library calls a request with parity on a pty refused
// once the pty has been set up before: a console started again against the simulator, or
// after a crash, must still open its line.
TEST(SerialLineOpen, APtyOpensWithParityAgainAndAgain) {
    test::PtyPair pty;
    for (int start = 0; start < 3; ++start) {
        EXPECT_EQ(openFailure(pty.slaveName(), kDeckLine), "") << "start " << start;
    }
    SerialLine line(pty.slaveName(), kDeckLine);
    EXPECT_EQ(failure([&] { line.reopen(); }), "");
}

TEST(SerialLineOpen, SettingsTheDriverCannotTakeReleaseThePort) {
    test::PtyPair pty;
    EXPECT_EQ(openFailure(pty.slaveName(), {38400, 9, 1, Parity::none}), "Configure failed: 1004");
    EXPECT_FALSE(takenHere(pty.slaveName()));
    EXPECT_EQ(openFailure(pty.slaveName()), "");
}

TEST(SerialLineIo, ReadTakesWhatIsWaitingAndFlushDiscardsIt) {
    test::PtyPair pty;
    SerialLine line(pty.slaveName(), kDeckLine);
    Bytes buf(3);
    EXPECT_EQ(line.read(buf), 0);  // nothing there: at once
    pty.writeMaster({9, 8, 7, 6, 5});
    ASSERT_TRUE(test::waitFor([&] { return line.waiting() == 5; }));
    EXPECT_EQ(line.read(buf), 3);
    EXPECT_EQ(buf, (Bytes{9, 8, 7}));
    EXPECT_EQ(line.read(buf), 2);
    EXPECT_EQ(line.read(std::span<std::uint8_t>()), 0);

    pty.writeMaster({1, 2});
    ASSERT_TRUE(test::waitFor([&] { return line.waiting() == 2; }));
    line.flushInput();
    EXPECT_TRUE(test::waitFor([&] { return line.waiting() == 0; }));
    line.flushOutput();

    line.write(Bytes{}, 1s);
    line.write(Bytes{0x41, 0x42}, 1s);
    EXPECT_EQ(pty.readMaster(2, 5s), (Bytes{0x41, 0x42}));
}

TEST(SerialLineIo, AWriteGivesUpAtItsDeadline) {
    test::PtyPair pty;
    SerialLine line(pty.slaveName(), kDeckLine);
    pty.stall(true);
    const Bytes big(64 * 1024, 0x55);  // more than the driver holds
    auto start = std::chrono::steady_clock::now();
    std::string text = failure([&] { line.write(big, 300ms); });
    EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);
    EXPECT_EQ(text.rfind("PutData1: Sent only ", 0), 0u) << text;
    EXPECT_NE(text.find(" of 65536 bytes"), std::string::npos) << text;
    pty.stall(false);
}

TEST(SerialLineIo, TextsOfAClosedLine) {
    test::PtyPair pty;
    SerialLine line(pty.slaveName(), kDeckLine);
    line.close();
    Bytes buf(2);
    EXPECT_EQ(failure([&] { line.waiting(); }), "rxReadyCount: Port not open");
    EXPECT_EQ(failure([&] { line.write(Bytes{1, 2, 3}, 1s); }), "PutData1: Sent only 0 of 3 bytes");
    EXPECT_EQ(failure([&] { line.write(Bytes{}, 1s); }), "");
    EXPECT_EQ(failure([&] { line.read(buf); }), "getData: failed");
    EXPECT_EQ(failure([&] { line.flushInput(); }), "rxFlush failed");
    EXPECT_EQ(failure([&] { line.flushOutput(); }), "txFlush failed");
    EXPECT_EQ(failure([&] { line.setDTR(true); }), "setDTR failed");
    EXPECT_EQ(failure([&] { line.setRTS(true); }), "setRTS failed");
}

void expectRaw(const termios& t) {
    EXPECT_EQ(t.c_lflag & (ECHO | ECHOE | ECHONL | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF | PARMRK), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(LineTermios, DeckLineFromCookedStart) {
    termios cooked{};
    cooked.c_iflag = ICRNL | IXON | ISTRIP | INLCR | IGNCR;
    cooked.c_oflag = OPOST | ONLCR;
    cooked.c_lflag = ECHO | ICANON | ISIG | IEXTEN;
    cooked.c_cflag = CS7 | CSTOPB | CRTSCTS;
    cooked.c_cc[VMIN] = 1;
    auto t = termiosFor(kDeckLine, cooked);
    ASSERT_TRUE(t);
    EXPECT_EQ(cfgetospeed(&*t), static_cast<speed_t>(B38400));
    EXPECT_EQ(cfgetispeed(&*t), static_cast<speed_t>(B38400));
    EXPECT_EQ(t->c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t->c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));
    EXPECT_EQ(t->c_cflag & (CSTOPB | CRTSCTS | CMSPAR), 0u);
    expectRaw(*t);
}

TEST(LineTermios, FramingAndRefusals) {
    auto t = termiosFor({2400, 7, 2, Parity::even});
    ASSERT_TRUE(t);
    EXPECT_EQ(t->c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB));
    EXPECT_NE(t->c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t->c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(t->c_cflag & CRTSCTS, 0u);
    t = termiosFor({2400, 5, 1, Parity::none});
    ASSERT_TRUE(t);
    EXPECT_EQ(t->c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(t->c_cflag & CSIZE, static_cast<tcflag_t>(CS5));
    for (LineSettings bad : {LineSettings{12345, 8, 1}, LineSettings{2400, 4, 1},
                             LineSettings{2400, 9, 1}, LineSettings{2400, 8, 3}}) {
        EXPECT_FALSE(termiosFor(bad)) << bad.bitRate << " " << bad.dataBits << bad.stopBits;
    }
}

TEST(LineTermios, EveryBitRate) {
    const std::pair<int, speed_t> rates[] = {{110, B110},     {150, B150},     {300, B300},
                                             {600, B600},     {1200, B1200},   {2400, B2400},
                                             {4800, B4800},   {9600, B9600},   {19200, B19200},
                                             {38400, B38400}, {57600, B57600}, {115200, B115200}};
    for (auto [rate, speed] : rates) {
        auto t = termiosFor({rate, 8, 1, Parity::none});
        ASSERT_TRUE(t) << rate;
        EXPECT_EQ(cfgetospeed(&*t), speed) << rate;
    }
}

TEST(PtyLine, DriverKeepsTheRawDeckSettings) {
    test::PtyPair pty;
    SerialLine line(pty.slaveName(), kDeckLine);
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
    SerialLine line(pty.slaveName(), kDeckLine);
    Bytes all(256);
    std::iota(all.begin(), all.end(), 0);
    // The bytes a cooked line would eat or change, again at the end.
    for (std::uint8_t b : {0x0A, 0x0D, 0x11, 0x13, 0x7F, 0x03, 0x00, 0xFF})
        all.push_back(b);

    line.write(all, 5s);
    EXPECT_EQ(pty.readMaster(all.size(), 5s), all);

    pty.writeMaster(all);
    Bytes got(all.size());
    std::size_t n = 0;
    test::waitFor([&] {
        n += static_cast<std::size_t>(line.read(std::span<std::uint8_t>(got).subspan(n)));
        return n == all.size();
    });
    EXPECT_EQ(got, all);
}

}  // namespace
}  // namespace vemo::serial
