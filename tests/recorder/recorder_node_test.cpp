// The unmodified client library that switchers' automation and Companion use, driving the
// recorder server against the deck simulator on a pseudo-terminal: the script
// tests/recorder/node/client_test.mjs checks the protocol side, this test the frames the deck
// received.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>

#include "core/settings.h"
#include "deck/local_vcr.h"
#include "recorder/local_recorder_deck.h"
#include "recorder/message.h"
#include "recorder/recorder_server.h"
#include "serial/ser_out_port.h"
#include "support/fake_deck_display.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vemo::recorder {
namespace {

using namespace std::chrono_literals;
using vemo::test::waitFor;

const std::filesystem::path kNodeDir =
    std::filesystem::path(VEMO_SOURCE_DIR) / "tests/recorder/node";

class RecorderNodeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto program = vemo::test::builtProgram("tools/decksim/vemo-decksim");
        if (!std::filesystem::exists(program))
            GTEST_SKIP() << "vemo-decksim is not built";
        if (!std::filesystem::exists(kNodeDir / "node_modules/hyperdeck-connection")) {
            // scripts/test installs it; there a missing library is a failure, not a skip.
            if (std::getenv("VEMO_REQUIRE_NODE_TESTS") != nullptr)
                FAIL() << "run npm ci in " << kNodeDir;
            GTEST_SKIP() << "the client library is not installed (npm ci in " << kNodeDir << ")";
        }
        link_ = dir_.file("deck");
        sim_ = std::make_unique<vemo::test::ChildProcess>(
            program,
            std::vector<std::string>{"--link", link_.string(), "--type", "tape", "--fps", "29.97DF",
                                     "--log", dir_.file("frames.log").string()},
            dir_.path());
        ASSERT_TRUE(waitFor([&] { return std::filesystem::is_symlink(link_); }, 10s));
        port_ = std::make_unique<serial::SerOutPort>(link_.string());
        ASSERT_FALSE(port_->bad());
        core::Settings settings = core::Settings::forDeck("TAPE");
        settings.frameRate = core::FrameRate::Df2997;
        vcr_ = std::make_unique<deck::LocalVCR>(port_.get(), settings);
        vcr_->setDisplay(&display_);
        vcr_->GetTC();
        ASSERT_TRUE(waitFor([&] { return display_.saw("Stop "); }));
        const core::FrameRate rate = settings.frameRate;
        auto at = [&](const char* tc) { return parseTimecode(tc, rate).value(); };
        clips_.set({{"Opening", at("00:00:20;00"), at("00:00:22;00")},
                    {"Second", at("00:00:40;00"), at("00:00:42;00")},
                    {"Last", at("00:01:00;02"), at("00:01:02;00")}});
        deck_ = std::make_unique<LocalRecorderDeck>(*vcr_);
        server_ = std::make_unique<RecorderServer>(*deck_, clips_);
        RecorderConfig config;
        config.server.host = "127.0.0.1";
        ASSERT_TRUE(server_->start(config)) << server_->failure();
    }
    void TearDown() override {
        server_.reset();
        if (vcr_) {
            vcr_->stopPolling();
            vcr_->stopCue();
        }
        vcr_.reset();
        port_.reset();
        sim_.reset();
    }

    vemo::test::TempDir dir_;
    std::filesystem::path link_;
    std::unique_ptr<vemo::test::ChildProcess> sim_;
    std::unique_ptr<serial::SerOutPort> port_;
    vemo::test::FakeDeckDisplay display_;
    std::unique_ptr<deck::LocalVCR> vcr_;
    SharedClipList clips_;
    std::unique_ptr<LocalRecorderDeck> deck_;
    std::unique_ptr<RecorderServer> server_;
};

TEST_F(RecorderNodeTest, TheClientLibraryDrivesTheSimulatedDeck) {
    vemo::test::ChildProcess node(
        "/usr/bin/env",
        {"node", (kNodeDir / "client_test.mjs").string(), std::to_string(server_->port())},
        kNodeDir);
    auto code = node.wait(240s);
    ASSERT_TRUE(code.has_value()) << node.output();
    EXPECT_EQ(*code, 0) << node.output();
    // Play, stop, cue (24 31 and four time-code bytes), shuttle forward and back (21 13 / 21 23,
    // a speed that is not the pause's 00, checksum).
    const std::string frames = dir_.read("frames.log");
    for (const char* frame : {"20 01 21", "20 00 20", "24 31 .. .. .. .. ..", "21 13 (?!00).. ..",
                              "21 23 (?!00).. .."}) {
        const std::regex line(std::string("(^|\n)[0-9.]+ ") + frame + " pos=");
        EXPECT_TRUE(std::regex_search(frames, line)) << frame << "\n" << frames;
    }
}

}  // namespace
}  // namespace vemo::recorder
