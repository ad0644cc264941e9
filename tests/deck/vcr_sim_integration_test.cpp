// The deck controller over the real command port against the deck simulator on a pty.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "core/edl/logger_edl.h"
#include "core/edl/logger_timecode.h"
#include "deck/cue_thread.h"
#include "deck/local_vcr.h"
#include "deck_fakes.h"
#include "serial/ser_out_port.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vemo::deck {
namespace {

using namespace std::chrono_literals;
using vemo::test::waitFor;

// A simulator process and the console side of its line.
class SimDeck {
  public:
    explicit SimDeck(std::vector<std::string> extra) {
        link_ = dir_.file("deck");
        std::vector<std::string> args{"--link", link_.string(), "--type", "recon"};
        args.insert(args.end(), extra.begin(), extra.end());
        sim_ = std::make_unique<vemo::test::ChildProcess>(
            vemo::test::builtProgram("tools/decksim/vemo-decksim"), args, dir_.path());
        ready_ = waitFor([&] { return std::filesystem::is_symlink(link_); }, 10s);
        if (!ready_)
            return;
        port_ = std::make_unique<serial::SerOutPort>(link_.string());
        port_->setwait(9);
    }
    bool ready() const { return ready_ && port_ && !port_->bad(); }
    serial::SerOutPort& port() { return *port_; }
    bool simRunning() { return sim_->running(); }
    std::string simOutput() const { return sim_->output(); }

  private:
    vemo::test::TempDir dir_;
    std::filesystem::path link_;
    std::unique_ptr<vemo::test::ChildProcess> sim_;
    std::unique_ptr<serial::SerOutPort> port_;
    bool ready_ = false;
};

class SimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(vemo::test::builtProgram("tools/decksim/vemo-decksim"))) {
            GTEST_SKIP() << "vemo-decksim is not built";
        }
        settings.recon = true;
    }

    core::Settings settings;
    vemo::test::FakeDeckDisplay display;
};

TEST_F(SimTest, PlayStopAndCueAgainstTheSimulator) {
    SimDeck sim({});
    ASSERT_TRUE(sim.ready()) << sim.simOutput();
    LocalVCR vcr(&sim.port(), settings);
    vcr.setDisplay(&display);
    vcr.announceReady();
    vcr.GetTC();
    ASSERT_TRUE(waitFor([&] { return display.lastStatus() == "Stop "; }));

    vcr.play();
    ASSERT_TRUE(waitFor([&] { return display.lastStatus().find("Play ") == 0; }));
    EXPECT_TRUE(display.has(vemo::test::FakeDeckDisplay::hl(Indicator::play)));
    const int f0 = vcr.tcframes();
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(2s);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double fps = (vcr.tcframes() - f0) / seconds;
    EXPECT_GT(fps, 20.0);
    EXPECT_LT(fps, 40.0);

    vcr.stop();
    ASSERT_TRUE(waitFor([&] { return display.lastStatus() == "Stop "; }));
    EXPECT_TRUE(display.has(vemo::test::FakeDeckDisplay::hl(Indicator::stop)));

    vcr.fields().setCue("00:00:30:00");
    ASSERT_TRUE(vcr.cue());
    ASSERT_TRUE(waitFor([&] { return vcr.cuethread()->finished(); }, 60s));
    EXPECT_TRUE(display.has("ShowStatus:CUED!!"));
    EXPECT_TRUE(waitFor([&] { return vcr.TCString() == "00:00:30:00"; }, 5s));
    vcr.stopPolling();
}

TEST_F(SimTest, LostAndJunkRepliesKeepThePollingAlive) {
    SimDeck sim({"--drop", "0.3", "--garbage", "0.2", "--seed", "7"});
    ASSERT_TRUE(sim.ready()) << sim.simOutput();
    LocalVCR vcr(&sim.port(), settings);
    vcr.setDisplay(&display);
    vcr.GetTC();
    vcr.play();
    ASSERT_TRUE(waitFor([&] { return display.has("ShowStatus:No VCR Status"); }, 30s));
    // Time codes keep arriving after the lost ones.
    const auto shown = display.matching("ShowTC:").size();
    EXPECT_TRUE(waitFor([&] { return display.matching("ShowTC:").size() > shown + 10; }));
    vcr.stop();
    vcr.stopPolling();
    EXPECT_TRUE(sim.simRunning());
}

// Clips marked from a deck running at 25 fps or at 29.97 drop-frame save with record times
// of that rate; the drop-frame clip crosses a minute, where ;00 and ;01 do not exist.
TEST_F(SimTest, ClipsMarkedAtOtherRatesSaveWithTheirRecordTimes) {
    const struct {
        const char* fps;
        core::FrameRate rate;
        const char* start;
        int perSecond;
        char separator;
        const char* fcm;
    } cases[] = {{"25", core::FrameRate::Fps25, "00:00:59:10", 25, ':', "NON-DROP FRAME"},
                 {"29.97DF", core::FrameRate::Df2997, "00:00:59;10", 30, ';', "DROP FRAME"}};
    for (const auto& c : cases) {
        SimDeck sim({"--fps", c.fps, "--start", c.start});
        ASSERT_TRUE(sim.ready()) << sim.simOutput();
        settings.frameRate = c.rate;
        LocalVCR vcr(&sim.port(), settings);
        vcr.setDisplay(&display);
        vcr.GetTC();
        ASSERT_TRUE(waitFor([&] { return vcr.fields().tc() == c.start; }, 10s));
        const std::string in = vcr.fields().tc();

        // Frames counted by the rate: 00:01:00 and 15 frames more lies this far from the start.
        std::set<std::string> seen;
        vcr.play();
        ASSERT_TRUE(waitFor(
            [&] {
                const std::string tc = vcr.fields().tc();
                seen.insert(tc);
                return tc.compare(0, 8, "00:01:00") == 0 && tc.substr(9) >= "15";
            },
            30s));
        vcr.stop();
        std::string out;
        ASSERT_TRUE(waitFor(
            [&] {
                const std::string before = vcr.fields().tc();
                std::this_thread::sleep_for(300ms);
                out = vcr.fields().tc();
                return out == before;
            },
            30s));
        vcr.stopPolling();
        for (const std::string& tc : seen) {
            EXPECT_EQ(tc[8], c.separator) << tc;
            EXPECT_TRUE(core::loggertc::isValidTimeText(tc, c.rate)) << tc;
        }

        // The clip's length in frames of the rate, counted here on its own: the seconds from
        // the in point, less the two labels drop-frame skips at minute 1.
        const int inSeconds = 59, inFrames = 10;
        const int outSeconds = 60 + std::stoi(out.substr(6, 2));
        const int length = (outSeconds - inSeconds) * c.perSecond + std::stoi(out.substr(9)) -
                           inFrames - (c.separator == ';' ? 2 : 0);
        ASSERT_GT(length, 0);
        ASSERT_LT(length, 60 * c.perSecond);
        char recordOut[48];
        std::snprintf(recordOut, sizeof recordOut, "01:00:%02d%c%02d", length / c.perSecond,
                      c.separator, length % c.perSecond);

        core::LoggerEDL edl;
        edl.setFrameRate(c.rate);
        edl.table.SrcInArray[0] = in;
        edl.table.SrcOutArray[0] = out;
        vemo::test::TempDir dir;
        ASSERT_TRUE(edl.SaveEDL(dir.file("clips.edl").string()).saved);
        const std::string saved = dir.read("clips.edl");
        EXPECT_NE(saved.find("FCM: " + std::string(c.fcm) + " \r\n"), std::string::npos);
        EXPECT_NE(
            saved.find(in + " " + out + " 01:00:00" + c.separator + "00 " + recordOut + " \r\n"),
            std::string::npos)
            << saved;
    }
}

}  // namespace
}  // namespace vemo::deck
