// Opening the auxiliary controller port for the deck controller at start-up.
#include "remote/aux_port_startup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "deck/local_vcr.h"
#include "deck/protocol.h"
#include "support/fake_command_port.h"
#include "support/fake_deck_display.h"
#include "support/log_text.h"
#include "support/process.h"
#include "support/pty_pair.h"
#include "support/stdout_capture.h"

namespace vemo::remote {
namespace {

using namespace std::chrono_literals;
using vemo::test::linesOf;
using vemo::test::waitFor;

TEST(AuxPortStartup, AnOpenPortIsAnnouncedWiredAndPolling) {
    vemo::test::StdoutCapture log;
    vemo::test::PtyPair pty;
    vemo::test::FakeCommandPort deck;
    vemo::test::FakeDeckDisplay gui;
    deck::LocalVCR vcr(&deck, core::Settings{});
    vcr.setDisplay(&gui);
    const std::string name = pty.slaveName();

    auto sip = startAuxPort(vcr, &gui, name);
    ASSERT_NE(sip, nullptr);
    EXPECT_TRUE(sip->running());
    EXPECT_EQ(sip->getwait(), 100);
    EXPECT_EQ(sip->getsleeptime(), 100);
    EXPECT_EQ(sip->localgui(), &gui);
    EXPECT_TRUE(gui.has("ShowStatus:MCS Serial Port " + name + " Opened OK"));

    auto lines = linesOf(log.text());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{" ", "MCS Serial Port " + name + " Opened OK", " "}));

    pty.writeMaster({0x80, 0x45});
    EXPECT_TRUE(
        waitFor([&] { return deck.count(vemo::test::bytesOf(deck::protocol::bsplay)) == 1; }));
    sip->stop();
    EXPECT_FALSE(sip->running());
}

// The three lines stay; why the port did not open follows them, or goes to the caller.
TEST(AuxPortStartup, AMissingPortGivesNothingAndTheThreeLinesThenWhy) {
    vemo::test::FakeCommandPort deck;
    deck::LocalVCR vcr(&deck, core::Settings{});
    const std::vector<std::string> threeLines{
        " ", "Serial Port /dev/vemo-no-such-port not available", " ", " ",
        "MCS Serial port /dev/vemo-no-such-port for VCR not available."};
    {
        vemo::test::StdoutCapture log;
        EXPECT_EQ(startAuxPort(vcr, nullptr, "/dev/vemo-no-such-port", 0), nullptr);
        auto lines = linesOf(log.finish());
        ASSERT_GT(lines.size(), threeLines.size());
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), threeLines);
        EXPECT_EQ(lines[5], "/dev/vemo-no-such-port does not exist.");
    }
    vemo::test::StdoutCapture log;
    std::vector<std::string> told;
    EXPECT_EQ(startAuxPort(vcr, nullptr, "/dev/vemo-no-such-port", 0,
                           [&](const std::vector<std::string>& why) { told = why; }),
              nullptr);
    EXPECT_EQ(linesOf(log.finish()), threeLines);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told[0], "/dev/vemo-no-such-port does not exist.");
    EXPECT_TRUE(deck.frames().empty());
}

}  // namespace
}  // namespace vemo::remote
