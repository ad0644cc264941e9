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

TEST(AuxPortStartup, AMissingPortGivesNothingAndTheThreeLines) {
    vemo::test::StdoutCapture log;
    vemo::test::FakeCommandPort deck;
    deck::LocalVCR vcr(&deck, core::Settings{});

    auto sip = startAuxPort(vcr, nullptr, "/dev/vemo-no-such-port", 0);
    EXPECT_EQ(sip, nullptr);
    EXPECT_EQ(
        linesOf(log.finish()),
        (std::vector<std::string>{" ", "Serial Port /dev/vemo-no-such-port not available", " ", " ",
                                  "MCS Serial port /dev/vemo-no-such-port for VCR not "
                                  "available."}));
    EXPECT_TRUE(deck.frames().empty());
}

}  // namespace
}  // namespace vemo::remote
