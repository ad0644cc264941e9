#include "serial/ser_out_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "deck_responder.h"
#include "support/process.h"
#include "support/pty_pair.h"
#include "support/stdout_capture.h"
#include "support/temp_dir.h"

namespace vemo::serial {
namespace {

using namespace std::chrono_literals;
using test::builtProgram;
using test::ByteVec;
using test::ChildProcess;
using test::TempDir;
using test::waitFor;

ByteVec bytesOf(const ExchangeResult& r) {
    return ByteVec(r.bytes.begin(), r.bytes.end());
}

ByteVec counting(int from, int to) {
    ByteVec v;
    for (int i = from; i <= to; ++i)
        v.push_back(static_cast<std::uint8_t>(i));
    return v;
}

// A deck port on a pty; a generous pause keeps the tests steady on a busy machine.
struct DeckLine {
    test::PtyPair pty;
    std::unique_ptr<SerOutPort> port;
    std::string log;
    explicit DeckLine(int wait = 200) {
        test::StdoutCapture capture;
        port = std::make_unique<SerOutPort>(pty.slaveName());
        log = capture.finish();
        port->setwait(wait);
    }
};

TEST(SerOutPort, OpensWithTheDeckLineSettings) {
    DeckLine line;
    EXPECT_FALSE(line.port->bad());
    EXPECT_TRUE(line.port->hasSerialPort());
    EXPECT_TRUE(line.port->hasOutputStream());
    constexpr LineSettings c = SerOutPort::kDeckLine;
    EXPECT_EQ(c.bitRate, 38400);
    EXPECT_EQ(c.dataBits, 8);
    EXPECT_EQ(c.stopBits, 1);
    EXPECT_EQ(c.parity, Parity::odd);
    // The driver holds them (a pty keeps speed and size), and the device is held here.
    int fd = ::open(line.pty.slaveName().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios t{};
    if (fd >= 0) {
        ASSERT_EQ(::tcgetattr(fd, &t), 0);
        EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
        ::close(fd);
        EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B38400));
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    }
    // A pty has no modem lines: the port says so and stays usable.
    EXPECT_EQ(line.log.find("not available"), std::string::npos);
}

TEST(SerOutPort, MissingPortIsBadAndSaysSo) {
    if (std::filesystem::exists("/dev/ttyS8"))
        GTEST_SKIP() << "this machine has a COM9";
    test::StdoutCapture capture;
    SerOutPort port("COM9");
    std::string log = capture.finish();
    EXPECT_EQ(log, " \nSerial Port COM9 not available\n");
    EXPECT_TRUE(port.bad());
    EXPECT_FALSE(port.hasSerialPort());
    EXPECT_FALSE(port.hasOutputStream());
    // Exchanges on it write nothing, print nothing and take nothing.
    test::StdoutCapture quiet;
    const std::uint8_t frame[] = {0x61, 0x0C, 0x6D};
    ExchangeResult r = port.SendSerial(frame, sizeof frame);
    EXPECT_EQ(quiet.finish(), "");
    EXPECT_EQ(r.count, 0);
    EXPECT_EQ(bytesOf(r), ByteVec(16, 0));
}

TEST(SerOutPort, PortHeldElsewhereIsNotAvailable) {
    test::PtyPair pty;
    int holder = ::open(pty.slaveName().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    test::StdoutCapture capture;
    SerOutPort port(pty.slaveName());
    EXPECT_EQ(capture.finish(), " \nSerial Port " + pty.slaveName() + " not available\n");
    EXPECT_TRUE(port.bad());
    ::close(holder);
}

TEST(SerOutPort, ExchangeWithNoReplyAndWithATenByteReply) {
    DeckLine line;
    const ByteVec ten = counting(0x71, 0x7A);
    test::DeckResponder deck(line.pty, 3,
                             [&](const ByteVec& f) { return f[1] == 0x0C ? ten : ByteVec{}; });
    const std::uint8_t silent[] = {0x61, 0x20, 0x81};
    ExchangeResult r = line.port->SendSerial(silent, sizeof silent);
    EXPECT_EQ(r.count, 0);
    EXPECT_EQ(bytesOf(r), ByteVec(16, 0));

    const std::uint8_t asks[] = {0x61, 0x0C, 0x6D};
    r = line.port->SendSerial(asks, sizeof asks);
    EXPECT_EQ(r.count, 10);
    ByteVec want = ten;
    want.resize(16, 0);
    EXPECT_EQ(bytesOf(r), want);
    ASSERT_TRUE(test::waitFor([&] { return deck.frameCount() == 2; }));
    EXPECT_EQ(deck.frames()[1], ByteVec(asks, asks + 3));
}

TEST(SerOutPort, TwentyBytesWaitingLeaveTheLastChunkOverTheFirst) {
    DeckLine line;
    test::DeckResponder deck(line.pty, 3, [](const ByteVec&) { return counting(1, 20); });
    const std::uint8_t frame[] = {0x61, 0x0C, 0x6D};
    ExchangeResult r = line.port->SendSerial(frame, sizeof frame);
    ByteVec want = counting(17, 20);
    ByteVec rest = counting(5, 16);
    want.insert(want.end(), rest.begin(), rest.end());
    EXPECT_EQ(bytesOf(r), want);
    EXPECT_EQ(r.count, 4);
}

TEST(SerOutPort, LateReplyIsSeenFirstByTheNextExchange) {
    DeckLine line(20);
    std::atomic<bool> answered{false};
    test::DeckResponder deck(line.pty, 3, [&](const ByteVec& f) -> ByteVec {
        if (f[1] != 0x0C)
            return {};
        std::this_thread::sleep_for(300ms);  // well after the exchange's pause
        answered.store(true);
        return {0x74, 0x04, 0x11, 0x22, 0x33};
    });
    const std::uint8_t asks[] = {0x61, 0x0C, 0x6D};
    ExchangeResult r = line.port->SendSerial(asks, sizeof asks);
    EXPECT_EQ(r.count, 0);
    ASSERT_TRUE(test::waitFor([&] { return answered.load(); }));
    line.port->setwait(200);
    const std::uint8_t silent[] = {0x61, 0x20, 0x81};
    r = line.port->SendSerial(silent, sizeof silent);
    EXPECT_EQ(r.count, 5);
    ByteVec want{0x74, 0x04, 0x11, 0x22, 0x33};
    want.resize(16, 0);
    EXPECT_EQ(bytesOf(r), want);
}

TEST(SerOutPort, EmptyCommandWritesNothingButPausesAndReads) {
    DeckLine line(150);
    line.pty.writeMaster({0x55, 0x66, 0x77});
    auto start = std::chrono::steady_clock::now();
    ExchangeResult r = line.port->SendSerial(nullptr, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 140ms);
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(r.bytes[0], 0x55);
    EXPECT_EQ(r.bytes[2], 0x77);
    EXPECT_TRUE(line.pty.readMaster(1, 200ms).empty());
}

TEST(SerOutPort, ADeckThatNeverStopsSendingDoesNotHoldTheExchange) {
    DeckLine line(20);
    std::atomic<bool> stop{false};
    std::thread flood([&] {
        const std::vector<std::uint8_t> chunk(64, 0xAA);
        while (!stop.load()) {
            pollfd p{line.pty.master(), POLLOUT, 0};
            if (::poll(&p, 1, 50) == 1) {
                [[maybe_unused]] ssize_t n = ::write(line.pty.master(), chunk.data(), 64);
            }
        }
    });
    ASSERT_TRUE(test::waitFor([&] { return line.port->SendSerial(nullptr, 0).count > 0; }));
    ExchangeResult r = line.port->SendSerial(nullptr, 0);  // returns although bytes keep coming
    EXPECT_LE(r.count, 16);
    stop.store(true);
    flood.join();
}

// A line that takes no bytes (a stuck adapter or bridge) never holds the port: each write
// gives up within its deadline, and the line is used again once it takes bytes.
TEST(SerOutPort, ALineThatTakesNoBytesFailsEachWriteWithinItsDeadline) {
    DeckLine line(9);
    const ByteVec play{0x20, 0x01, 0x21};
    line.pty.stall(true);
    test::StdoutCapture capture;
    std::vector<std::thread> senders;
    std::atomic<int> failed{0};
    for (int i = 0; i < 3; ++i) {
        senders.emplace_back([&] {
            ExchangeResult r = line.port->SendSerial(play.data(), play.size());
            failed += (!r.sent && r.count == 0) ? 1 : 0;
        });
    }
    // Three writes behind one lock: one full deadline, the later ones give up sooner.
    EXPECT_TRUE(waitFor([&] { return failed.load() == 3; }, 10s));
    for (auto& t : senders)
        t.join();
    EXPECT_TRUE(capture.hasLine("Unable to write to Serial Port"));
    EXPECT_FALSE(line.port->lost());
    line.pty.stall(false);
    ExchangeResult r = line.port->SendSerial(play.data(), play.size());
    EXPECT_TRUE(r.sent);
    EXPECT_EQ(line.pty.readMaster(3, 2s), play);  // no half frame went out before it
}

// An adapter pulled and plugged in again: the port is closed while the device is gone and
// opened again (same settings, same exclusive use) once it is back, without a restart.
TEST(SerOutPort, APulledDeviceIsReopenedWhenItComesBack) {
    TempDir dir;
    const std::string link = dir.file("deck").string();
    ChildProcess sim(builtProgram("tools/decksim/vemo-decksim"), {"--link", link}, dir.path());
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(link); }, 10s)) << sim.output();
    test::StdoutCapture capture;
    SerOutPort port(link);
    ASSERT_FALSE(port.bad());
    port.setwait(9);
    const ByteVec timeSense{0x61, 0x0C, 0x03, 0x70};
    auto exchange = [&] { return port.SendSerial(timeSense.data(), timeSense.size()); };
    auto answered = [&] { return exchange().count == 7; };
    ASSERT_TRUE(waitFor(answered, 10s));

    ASSERT_EQ(::kill(sim.pid(), SIGUSR2), 0);
    ASSERT_TRUE(waitFor(
        [&] {
            exchange();
            return port.lost();
        },
        10s));
    for (int i = 0; i < 50; ++i)
        EXPECT_FALSE(exchange().sent);  // quietly: the device is simply not there
    ASSERT_EQ(::kill(sim.pid(), SIGUSR2), 0);
    EXPECT_TRUE(waitFor(answered, 20s));
    EXPECT_FALSE(port.lost());
    const std::string log = capture.finish();
    EXPECT_NE(log.find("Serial Port " + link + " lost\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Serial Port " + link + " reopened\n"), std::string::npos) << log;
    EXPECT_LT(std::count(log.begin(), log.end(), '\n'), 6) << log;
}

TEST(SerOutPort, ConcurrentExchangesKeepFramesWholeAndRepliesWithTheirCaller) {
    DeckLine line(100);
    constexpr int kThreads = 4;
    constexpr int kRounds = 6;
    // Frame: 61 id seq id seq sum. Reply: 79 id seq 00 00 00 00 sum.
    std::atomic<int> brokenFrames{0};
    test::DeckResponder deck(line.pty, 6, [&](const ByteVec& f) -> ByteVec {
        int sum = 0;
        for (int i = 0; i < 5; ++i)
            sum += f[i];
        if (f[0] != 0x61 || f[1] != f[3] || f[2] != f[4] || (sum & 0xFF) != f[5]) {
            brokenFrames.fetch_add(1);
            return {};
        }
        ByteVec reply{0x79, f[1], f[2], 0, 0, 0, 0, 0};
        reply[7] = static_cast<std::uint8_t>(0x79 + f[1] + f[2]);
        return reply;
    });
    std::atomic<int> wrongReplies{0};
    std::vector<std::thread> callers;
    for (int id = 1; id <= kThreads; ++id) {
        callers.emplace_back([&, id] {
            for (int seq = 0; seq < kRounds; ++seq) {
                auto a = static_cast<std::uint8_t>(id);
                auto b = static_cast<std::uint8_t>(seq);
                std::uint8_t frame[6] = {0x61, a, b, a, b, 0};
                frame[5] = static_cast<std::uint8_t>(0x61 + 2 * (a + b));
                ExchangeResult r = line.port->SendSerial(frame, sizeof frame);
                if (r.count != 8 || r.bytes[0] != 0x79 || r.bytes[1] != a || r.bytes[2] != b) {
                    wrongReplies.fetch_add(1);
                }
            }
        });
    }
    for (auto& t : callers)
        t.join();
    deck.stop();
    EXPECT_EQ(brokenFrames.load(), 0);
    EXPECT_EQ(wrongReplies.load(), 0);
    EXPECT_EQ(deck.frameCount(), static_cast<std::size_t>(kThreads * kRounds));
    EXPECT_EQ(deck.pendingBytes(), 0u);
}

}  // namespace
}  // namespace vemo::serial
