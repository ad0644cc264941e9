// The auxiliary controller port over a pseudo-terminal: the test plays the MCS surface on
// the master side and watches the frames a real deck controller sends to a recording port.
#include "remote/ser_in_port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "deck/local_vcr.h"
#include "deck/protocol.h"
#include "support/fake_command_port.h"
#include "support/log_text.h"
#include "support/process.h"
#include "support/pty_pair.h"
#include "support/stdout_capture.h"

namespace vemo::remote {
namespace {

using namespace std::chrono_literals;
using vemo::test::Bytes;
using vemo::test::bytesOf;
using vemo::test::linesOf;
using vemo::test::waitFor;

int countLine(const std::string& text, const std::string& line) {
    int n = 0;
    for (const auto& l : linesOf(text))
        n += (l == line) ? 1 : 0;
    return n;
}

class FakeLogger : public deck::LoggerMarks {
  public:
    std::atomic<int> ins{0};
    std::atomic<int> outs{0};
    void setin() override { ++ins; }
    void setout() override { ++outs; }
};

// The surface on a pty, the port polling it, the controller behind a recording port.
class SerInPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        port_ = std::make_unique<SerInPort>(pty_.slaveName());
        ASSERT_FALSE(port_->bad());
        port_->setlocalvcr(&vcr_);
        port_->setsleeptime(20);  // quick polls keep the tests short
        port_->start();
    }
    void TearDown() override {
        if (port_)
            port_->stop();
    }

    void send(const Bytes& bytes) { pty_.writeMaster(bytes); }
    // Waits until a whole poll began after everything written so far.
    void awaitPoll() {
        long now = port_->polls();
        EXPECT_TRUE(waitFor([&] { return port_->polls() >= now + 2; }));
    }
    bool logged(const std::string& line, int times = 1) {
        return waitFor([&] { return countLine(log_.text(), line) >= times; });
    }
    bool sent(const Bytes& frame, int times = 1) {
        return waitFor([&] { return deck_.count(frame) >= times; });
    }
    // The controller's frames so far; a stop sent after the message under test orders things,
    // so once the stop is seen everything before it has been performed.
    std::vector<Bytes> framesThroughStop() {
        send({0x80, 0x44});
        EXPECT_TRUE(sent(bytesOf(deck::protocol::bsstop)));
        return deck_.frames();
    }

    vemo::test::StdoutCapture log_;
    vemo::test::PtyPair pty_;
    vemo::test::FakeCommandPort deck_;
    FakeLogger logger_;
    deck::LocalVCR vcr_{&deck_, core::Settings{}};
    std::unique_ptr<SerInPort> port_;
};

struct Row {
    Bytes message;
    Bytes frame;
    const char* dump;
};

TEST_F(SerInPortTest, EachTransportMessageSendsItsFrameAndLogsTheDump) {
    using namespace deck::protocol;
    const std::vector<Row> rows = {
        {{0x80, 0x45}, bytesOf(bsplay), "80 45 "},    {{0x80, 0x42}, bytesOf(bsrewind), "80 42 "},
        {{0x80, 0x43}, bytesOf(bsforward), "80 43 "}, {{0x81, 0x7F}, bytesOf(bsjogf), "81 7F "},
        {{0x81, 0x01}, bytesOf(bsjogr), "81 01 "},    {{0x81, 0x80}, bytesOf(bsjogr), "81 80 "},
        {{0x80, 0x44}, bytesOf(bsstop), "80 44 "},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].dump);
        send(rows[i].message);
        ASSERT_TRUE(logged(rows[i].dump));
        ASSERT_TRUE(waitFor([&] { return deck_.frames().size() == i + 1; }));
        EXPECT_EQ(deck_.frames().back(), rows[i].frame);
    }
    EXPECT_EQ(bytesOf(deck::protocol::bsplay), (Bytes{0x20, 0x01, 0x21}));
}

TEST_F(SerInPortTest, InAndOutKeysMarkTheOpenLoggerOnly) {
    send({0x80, 0x40});  // no logger window open
    ASSERT_TRUE(logged("80 40 "));
    EXPECT_EQ(framesThroughStop(), std::vector<Bytes>{bytesOf(deck::protocol::bsstop)});

    FakeLogger& logger = logger_;
    vcr_.setLoggerMarks(&logger);
    send({0x80, 0x40});
    ASSERT_TRUE(waitFor([&] { return logger.ins.load() == 1; }));
    send({0x80, 0x41});
    ASSERT_TRUE(waitFor([&] { return logger.outs.load() == 1; }));
    EXPECT_EQ(logger.ins.load(), 1);
    EXPECT_EQ(deck_.frames().size(), 1u);  // marks send nothing to the deck
}

TEST_F(SerInPortTest, UnknownMessagesAreLoggedAndDoNothing) {
    send({0x80, 0x46});
    ASSERT_TRUE(logged("80 46 "));
    send({0x12, 0x34});
    ASSERT_TRUE(logged("12 34 "));
    EXPECT_EQ(framesThroughStop(), std::vector<Bytes>{bytesOf(deck::protocol::bsstop)});
}

TEST_F(SerInPortTest, BytesArrivingTogetherGiveOneMessage) {
    send({0x80, 0x44, 0x80});
    ASSERT_TRUE(sent(bytesOf(deck::protocol::bsstop)));
    // The third byte was discarded, not kept as the start of a next message.
    send({0x45, 0x80});
    awaitPoll();
    send({0x80, 0x43});
    ASSERT_TRUE(sent(bytesOf(deck::protocol::bsforward)));
    EXPECT_EQ(deck_.frames(), (std::vector<Bytes>{bytesOf(deck::protocol::bsstop),
                                                  bytesOf(deck::protocol::bsforward)}));
    EXPECT_EQ(countLine(log_.text(), "80 45 "), 0);
}

TEST_F(SerInPortTest, ALoneByteIsDiscardedNotTakenWithAStaleSecond) {
    send({0x81, 0x7F});
    ASSERT_TRUE(sent(bytesOf(deck::protocol::bsjogf)));
    send({0x81});  // its partner never comes
    awaitPoll();
    auto frames = framesThroughStop();
    EXPECT_EQ(frames, (std::vector<Bytes>{bytesOf(deck::protocol::bsjogf),
                                          bytesOf(deck::protocol::bsstop)}));
    EXPECT_EQ(countLine(log_.text(), "81 7F "), 1);
}

TEST_F(SerInPortTest, StopEndsTheThreadPromptlyAndTwiceIsHarmless) {
    port_->setsleeptime(60'000);
    std::this_thread::sleep_for(100ms);  // let the loop begin its long rest
    auto start = std::chrono::steady_clock::now();
    port_->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
    EXPECT_FALSE(port_->running());
    port_->stop();
    send({0x80, 0x45});
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(deck_.frames().empty());
}

TEST(SerInPortOpen, LineSettingsAndTheHandshakeNote) {
    vemo::test::StdoutCapture log;
    vemo::test::PtyPair pty;
    SerInPort port(pty.slaveName());
    ASSERT_FALSE(port.bad());
    EXPECT_EQ(port.NoCOM(), 0);
    constexpr serial::LineSettings c = SerInPort::kSurfaceLine;
    EXPECT_EQ(c.dataBits, 8);
    EXPECT_EQ(c.stopBits, 1);
    EXPECT_EQ(c.bitRate, 2400);
    EXPECT_EQ(c.parity, serial::Parity::none);
    EXPECT_EQ(port.getwait(), 50);
    EXPECT_EQ(port.getsleeptime(), 50);
    EXPECT_EQ(countLine(log.text(), "MCS Serial Port " + pty.slaveName() +
                                        ": DSR/DTR handshake not available on Linux, "
                                        "opened without handshake"),
              1);
    EXPECT_EQ(countLine(log.text(), "Serial Port " + pty.slaveName() + " not available"), 0);
}

TEST(SerInPortOpen, AMissingPortIsBadAndSaysSo) {
    vemo::test::StdoutCapture log;
    SerInPort port("/dev/vemo-no-such-port");
    EXPECT_TRUE(port.bad());
    EXPECT_EQ(port.NoCOM(), 1);
    port.start();  // nothing to poll: no thread
    EXPECT_FALSE(port.running());
    EXPECT_EQ(linesOf(log.finish()),
              (std::vector<std::string>{" ", "Serial Port /dev/vemo-no-such-port not available"}));
}

TEST(SerInPortOpen, SleepTimeBelongsToEachPort) {
    vemo::test::StdoutCapture log;
    SerInPort one("/dev/vemo-no-such-port");
    SerInPort two("/dev/vemo-no-such-port");
    one.setsleeptime(100);
    EXPECT_EQ(one.getsleeptime(), 100);
    EXPECT_EQ(two.getsleeptime(), 50);
}

}  // namespace
}  // namespace vemo::remote
