// Clip review against the deck simulator: where the deck is halted, read from the
// simulator's own frame log, for a tape deck and the LX1 recorder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <sstream>
#include <thread>

#include "deck/cue_thread.h"
#include "deck/local_vcr.h"
#include "deck/timecode.h"
#include "deck_fakes.h"
#include "serial/ser_out_port.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vemo::deck {
namespace {

using namespace std::chrono_literals;
using vemo::test::waitFor;

int framesOf(const std::string& tc) {
    auto d = [&](int i) { return tc[static_cast<std::size_t>(i)] - '0'; };
    return (d(0) * 10 + d(1)) * 108000 + (d(3) * 10 + d(4)) * 1800 + (d(6) * 10 + d(7)) * 30 +
           d(9) * 10 + d(10);
}

// The tape position logged with the last frame of the given bytes after the last play frame.
std::optional<int> haltPosition(const std::string& log, const std::string& frame) {
    std::istringstream lines(log);
    std::string line;
    bool playing = false;
    std::optional<int> pos;
    while (std::getline(lines, line)) {
        if (line.find(" 20 01 21 ") != std::string::npos) playing = true;
        auto at = line.find(" pos=");
        if (playing && line.find(" " + frame + " ") != std::string::npos &&
            at != std::string::npos) {
            pos = framesOf(line.substr(at + 5, 11));
            playing = false;
        }
    }
    return pos;
}

class ReviewSim : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(vemo::test::builtProgram("tools/decksim/vemo-decksim"))) {
            GTEST_SKIP() << "vemo-decksim is not built";
        }
        core::Ravlin::resetGlobals();
        type = GetParam();
        core::Ravlin::lx1 = type == "lx1";
        link = dir.file("deck");
        sim = std::make_unique<vemo::test::ChildProcess>(
            vemo::test::builtProgram("tools/decksim/vemo-decksim"),
            std::vector<std::string>{"--link", link.string(), "--type", type, "--log",
                                     dir.file("frames.txt").string()},
            dir.path());
        ASSERT_TRUE(waitFor([&] { return std::filesystem::is_symlink(link); }, 10s));
        port = std::make_unique<serial::SerOutPort>(link.string());
        ASSERT_FALSE(port->bad());
        port->setwait(9);
    }
    void TearDown() override { core::Ravlin::resetGlobals(); }

    std::string type;
    vemo::test::TempDir dir;
    std::filesystem::path link;
    std::unique_ptr<vemo::test::ChildProcess> sim;
    std::unique_ptr<serial::SerOutPort> port;
    test::FakeDisplay display;
};

TEST_P(ReviewSim, HaltsAtTheFrameBeforeTheOutPoint) {
    LocalVCR vcr(port.get(), 2001, false);
    vcr.setDisplay(&display);
    vcr.GetTC();
    vcr.fields().setCue("00:00:10:00");
    vcr.fields().setEnd("00:00:12:15");
    ASSERT_TRUE(vcr.reviewclip());
    EXPECT_TRUE(display.has("ShowStatus:Reviewing Clip of Duration= 75"));
    ASSERT_TRUE(waitFor([&] { return vcr.cuethread() && vcr.cuethread()->finished(); }, 90s));
    EXPECT_TRUE(display.has("ShowStatus:CUED!!"));
    EXPECT_TRUE(vcr.cuethread()->gotthere());
    vcr.stopPolling();

    // The halt: stop on a tape deck, the still frame on the LX1 recorder.
    const std::string halt = type == "lx1" ? "21 13 00 34" : "20 00 20";
    auto pos = haltPosition(vemo::test::readFile(dir.file("frames.txt")), halt);
    ASSERT_TRUE(pos.has_value()) << vemo::test::readFile(dir.file("frames.txt"));
    const int frameBeforeOut = framesOf("00:00:12:14");
    EXPECT_GE(*pos, frameBeforeOut);
    // One polling period (35 ms sleep + the exchange) is about 1.4 frames; a loaded test
    // machine gets some slack on top. The measured figures are in the performance report.
    EXPECT_LE(*pos, frameBeforeOut + 6);
    auto enabled = display.matching("cueControls:");
    ASSERT_FALSE(enabled.empty());
    EXPECT_EQ(enabled.back(), "cueControls:on");
}

TEST_P(ReviewSim, StopDuringTheReviewEndsItAndRestoresTheControls) {
    LocalVCR vcr(port.get(), 2001, false);
    vcr.setDisplay(&display);
    vcr.GetTC();
    vcr.fields().setCue("00:00:05:00");
    vcr.fields().setEnd("00:01:00:00");
    ASSERT_TRUE(vcr.reviewclip());
    // Playing towards the out point: the time code is past the in point.
    ASSERT_TRUE(waitFor([&] { return vcr.tcframes() > framesOf("00:00:05:10"); }, 90s));
    vcr.stop();  // the "Stop *" button
    ASSERT_TRUE(waitFor([&] { return vcr.cuethread()->finished(); }, 20s));
    EXPECT_FALSE(vcr.reviewclipFlag());
    EXPECT_EQ(display.matching("cueControls:").back(), "cueControls:on");
    vcr.stopPolling();
}

INSTANTIATE_TEST_SUITE_P(Decks, ReviewSim, ::testing::Values("tape", "lx1"));

}  // namespace
}  // namespace vemo::deck
