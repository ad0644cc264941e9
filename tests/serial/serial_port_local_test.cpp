#include "serial/serial_port_local.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "serial/platform.h"
#include "serial/ser_streams.h"
#include "serial/serial_error.h"
#include "support/process.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace vemo::serial {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

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

std::string openFailure(const std::string& name) {
    return failure([&] { SerialPortLocal port{SerialConfig(name)}; });
}

TEST(SerialPortOpen, NamesThatAreNoSerialPort) {
    test::TempDir dir;
    dir.write("plain.txt", "x");
    for (std::string name :
         std::vector<std::string>{"", "COM0", "COMx", "com1", "ttyS0", "/no/such/device",
                                  "/dev/null", dir.file("plain.txt").string()}) {
        EXPECT_EQ(openFailure(name), "SerOpenPort failed: Port not valid") << name;
    }
}

TEST(SerialPortOpen, PortHeldByAnotherOpenerIsInUse) {
    test::PtyPair pty;
    int holder = ::open(pty.slaveName().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(openFailure(pty.slaveName()), "SerOpenPort failed: Port is in use");
    ::close(holder);
    EXPECT_EQ(openFailure(pty.slaveName()), "");
}

TEST(SerialPortOpen, SecondOpenHereIsAlreadyOpenAndCloseReleases) {
    test::PtyPair pty;
    {
        SerialPortLocal first{SerialConfig(pty.slaveName())};
        EXPECT_TRUE(first.isOpen());
        EXPECT_GE(first.getPortNum(), 0);
        EXPECT_EQ(openFailure(pty.slaveName()), "SerOpenPort failed: Port is already open");
        first.close();
        EXPECT_FALSE(first.isOpen());
        EXPECT_EQ(first.getPortNum(), -1);
        // Not held any more, here or by the lock.
        SerialPortLocal second{SerialConfig(pty.slaveName())};
        int probe = ::open(pty.slaveName().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(probe, 0);
        EXPECT_NE(::flock(probe, LOCK_EX | LOCK_NB), 0);
        ::close(probe);
    }
    // Discarding the port gave the lock back.
    int probe = ::open(pty.slaveName().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(probe, 0);
    EXPECT_EQ(::flock(probe, LOCK_EX | LOCK_NB), 0);
    ::close(probe);
}

TEST(SerialPortOpen, SettingsTheDriverCannotTakeReleaseThePort) {
    test::PtyPair pty;
    SerialConfig c(pty.slaveName());
    c.setOsName("Windows NT");  // lets the record hold DSR/DTR handshaking
    c.setHandshake(SerialConfig::HS_DSRDTR);
    EXPECT_EQ(failure([&] { SerialPortLocal port{c}; }),
              "Configure failed: " + std::to_string(kConfigUnsupported));
    EXPECT_EQ(openFailure(pty.slaveName()), "");
}

TEST(SerialPortOpen, OpenSetsTimeoutsAndSwitchesHardFlowOff) {
    test::PtyPair pty;
    SerialPortLocal port{SerialConfig(pty.slaveName())};
    EXPECT_FALSE(port.getConfig().getHardFlow());
    EXPECT_EQ(port.getTimeoutRx(), 0);
    EXPECT_EQ(port.nativeLib(), "serLux86");
    EXPECT_EQ(port.osName(), "Linux");
    EXPECT_EQ(port.devName(), "/dev/ttyS0");
    EXPECT_EQ(port.getConfig().getPort(), port.getPortNum() + 1);
}

TEST(SerialPortIo, ReceiveTimeouts) {
    test::PtyPair pty;
    SerialPortLocal port{SerialConfig(pty.slaveName())};
    Bytes buf(4);
    // 0: at once with what is there.
    EXPECT_EQ(port.getData(buf), 0);
    EXPECT_EQ(port.getByte(), -1);

    // A limit: waits for the whole count, then gives what came.
    port.setTimeoutRx(300);
    pty.writeMaster({1, 2});
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.getData(buf), 2);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);
    EXPECT_EQ(buf[0], 1);
    EXPECT_EQ(buf[1], 2);

    // Unlimited: waits until the count is in, bytes arriving in pieces.
    port.setTimeoutRx(kWaitForever);
    std::thread late([&] {
        std::this_thread::sleep_for(100ms);
        pty.writeMaster({5, 6});
        std::this_thread::sleep_for(100ms);
        pty.writeMaster({7, 8});
    });
    EXPECT_EQ(port.getData(buf), 4);
    late.join();
    EXPECT_EQ(buf, (Bytes{5, 6, 7, 8}));
}

TEST(SerialPortIo, CountsFlushAndSlices) {
    test::PtyPair pty;
    SerialPortLocal port{SerialConfig(pty.slaveName())};
    pty.writeMaster({9, 8, 7, 6, 5});
    ASSERT_TRUE(test::waitFor([&] { return port.rxReadyCount() == 5; }));
    Bytes buf{0, 0, 0, 0, 0, 0};
    EXPECT_EQ(port.getData(buf, 2, 3), 3);
    EXPECT_EQ(buf, (Bytes{0, 0, 9, 8, 7, 0}));
    EXPECT_EQ(port.getData(std::span<std::uint8_t>(), 0, 4), 0);  // absent array
    EXPECT_EQ(failure([&] { port.getData(buf, 4, 3); }), "getData: count out of bounds");
    port.rxFlush();
    EXPECT_TRUE(test::waitFor([&] { return port.rxReadyCount() == 0; }));
    EXPECT_GE(port.txBufCount(), 0);

    port.putData(Bytes{1, 2, 3, 4, 5}, 1, 3);
    port.putData(Bytes{6, 7, 8}, 2);
    port.putString("AB");
    port.putByte(0x0D);
    EXPECT_EQ(pty.readMaster(8, 5s), (Bytes{2, 3, 4, 6, 7, 'A', 'B', 0x0D}));
}

TEST(SerialPortIo, BoundsAndEmptyWrites) {
    test::PtyPair pty;
    SerialPortLocal port{SerialConfig(pty.slaveName())};
    Bytes three{1, 2, 3};
    EXPECT_EQ(failure([&] { port.putData(three, 4); }), "putData: count out of bounds");
    EXPECT_EQ(failure([&] { port.putData(three, -1); }), "putData: count out of bounds");
    EXPECT_EQ(failure([&] { port.putData(three, 2, 2); }), "putData3: count out of bounds");
    EXPECT_EQ(failure([&] { port.putData(three, -1, 1); }), "putData3: count out of bounds");
    EXPECT_EQ(failure([&] { port.putData(Bytes{}); }), "");
    EXPECT_EQ(failure([&] { port.putString(""); }), "");
    EXPECT_TRUE(pty.readMaster(1, 200ms).empty());
}

TEST(SerialPortIo, TextsOfAClosedPortAndOfMissingFeatures) {
    test::PtyPair pty;
    SerialPortLocal port{SerialConfig(pty.slaveName())};
    EXPECT_EQ(failure([&] { port.sigFrameErr(); }), "sigFrameErr not supported on Linux");
    EXPECT_EQ(failure([&] { port.sigOverrun(); }), "sigOverrun not supported on Linux");
    EXPECT_EQ(failure([&] { port.sigBreak(); }), "sigBreak not supported on Linux");
    EXPECT_EQ(failure([&] { port.sigParityErr(); }), "sigParityErr not supported on Linux");
    EXPECT_EQ(failure([&] { port.rxOverflow(); }), "rxOverflow not supported on Linux");
    EXPECT_EQ(port.getName(), "Serial Port");
    port.setName("Deck");
    EXPECT_EQ(port.getName(), "Deck");
    EXPECT_EQ(port.getName(7), "Not implemented");
    EXPECT_TRUE(port.isSupported("setDTR"));
    EXPECT_TRUE(port.isSupported("rxReadyCount"));
    EXPECT_FALSE(port.isSupported("setTimeoutTx"));
    EXPECT_FALSE(port.isSupported("sigBreak"));

    port.close();
    port.close();  // closing twice is harmless
    EXPECT_EQ(failure([&] { port.getByte(); }), "getByte: Port not open");
    EXPECT_EQ(failure([&] { port.rxReadyCount(); }), "rxReadyCount: Port not open");
    EXPECT_EQ(failure([&] { port.txBufCount(); }), "txBufCount: Port not open");
    EXPECT_EQ(failure([&] { port.sigDSR(); }), "sigDSR: Port not open");
    EXPECT_EQ(failure([&] { port.sigCTS(); }), "sigCTS: Port not open");
    EXPECT_EQ(failure([&] { port.sigCD(); }), "sigCD: Port not open");
    EXPECT_EQ(failure([&] { port.sigRing(); }), "sigRing: Port not open");
    EXPECT_EQ(failure([&] { port.putByte(1); }), "PutByte failed");
    EXPECT_EQ(failure([&] { port.putData(Bytes{1, 2, 3}); }), "PutData1: Sent only 0 of 3 bytes");
    EXPECT_EQ(failure([&] {
                  port.putData(Bytes{1, 2, 3}, 2);
              }),
              "PutData2: Sent only 0 of 2 bytes");
    EXPECT_EQ(failure([&] { port.putData(Bytes{1, 2, 3}, 1, 2); }), "Sent only 0 of 2 bytes");
    EXPECT_EQ(failure([&] { port.putString("abc"); }), "PutString: sent only 0 of 3 bytes");
    Bytes buf(2);
    EXPECT_EQ(failure([&] { port.getData(buf); }), "getData: failed");
    EXPECT_EQ(failure([&] { port.rxFlush(); }), "rxFlush failed");
    EXPECT_EQ(failure([&] { port.txDrain(); }), "txDrain failed");
    EXPECT_EQ(failure([&] { port.setTimeoutRx(5); }), "setTimeoutRx failed");
    EXPECT_EQ(failure([&] { port.setDTR(true); }), "setDTR failed");
    EXPECT_EQ(failure([&] { port.setRTS(true); }), "setRTS failed");
    EXPECT_EQ(failure([&] { SerInputStream in(port); }), "Port not open");
    EXPECT_EQ(failure([&] { SerOutputStream out(port); }), "Port not open");
}

TEST(SerialStreams, ReadAndWriteOverAnOpenPort) {
    test::PtyPair pty;
    SerialPortLocal port{SerialConfig(pty.slaveName())};
    port.setTimeoutRx(1000);
    SerOutputStream out(port);
    SerInputStream in(port);
    EXPECT_EQ(port.getTimeoutTx(), kWaitForever);
    EXPECT_EQ(port.getTimeoutRx(), 0);

    out.write(0x41);
    out.write(Bytes{0x42, 0x43});
    out.write(Bytes{0x44, 0x45, 0x46}, 1, 1);
    out.flush();
    EXPECT_EQ(pty.readMaster(4, 5s), (Bytes{0x41, 0x42, 0x43, 0x45}));

    std::thread device([&] {
        std::this_thread::sleep_for(60ms);
        pty.writeMaster({0x10, 0x11, 0x12});
    });
    EXPECT_EQ(in.read(), 0x10);  // waits for it
    device.join();
    ASSERT_TRUE(test::waitFor([&] { return in.available() == 2; }));
    Bytes buf{0, 0, 0, 0};
    EXPECT_EQ(in.read(buf, 1, 3), 2);
    EXPECT_EQ(buf, (Bytes{0, 0x11, 0x12, 0}));
    EXPECT_EQ(in.read(std::span<std::uint8_t>()), 0);
    in.close();
    EXPECT_FALSE(port.isOpen());
}

}  // namespace
}  // namespace vemo::serial
