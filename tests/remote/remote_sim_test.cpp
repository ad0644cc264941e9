// Scripts and a network client driving the real command port and the deck simulator.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "core/settings.h"
#include "deck/cue_thread.h"
#include "deck/local_vcr.h"
#include "fakes.h"
#include "remote/command_server.h"
#include "remote/script_runner.h"
#include "serial/ser_out_port.h"
#include "support/fake_deck_display.h"
#include "support/process.h"
#include "support/stdout_capture.h"
#include "support/temp_dir.h"
#include "tcp_client.h"

namespace vemo::remote {
namespace {

using namespace std::chrono_literals;
using vemo::test::waitFor;

class RemoteSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto program = vemo::test::builtProgram("tools/decksim/vemo-decksim");
        if (!std::filesystem::exists(program))
            GTEST_SKIP() << "vemo-decksim is not built";
        link_ = dir_.file("deck");
        sim_ = std::make_unique<vemo::test::ChildProcess>(
            program, std::vector<std::string>{"--link", link_.string(), "--type", "recon"},
            dir_.path());
        ASSERT_TRUE(waitFor([&] { return std::filesystem::is_symlink(link_); }, 10s));
        port_ = std::make_unique<serial::SerOutPort>(link_.string());
        ASSERT_FALSE(port_->bad());
        core::Settings settings = core::Settings::forDeck("RECON");
        settings.serveraddress = "127.0.0.1";
        vcr_ = std::make_unique<deck::LocalVCR>(port_.get(), settings);
        vcr_->setDisplay(&display_);
        vcr_->GetTC();
        ASSERT_TRUE(waitFor([&] { return display_.saw("Stop "); }));
    }
    void TearDown() override {
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
};

TEST_F(RemoteSimTest, ScriptReviewWaitsForTheOutPointOnARealDeck) {
    dir_.write("Script.txt", "tc100:00:05:00\ntc200:00:06:00\nReview\nStop\n");
    ScriptRunner runner(*vcr_, dir_.file("Script.txt"));
    vemo::test::StdoutCapture capture;
    runner.script();
    std::string log = capture.finish();
    EXPECT_EQ(log.find("Script Error"), std::string::npos) << log;
    auto cue = vcr_->cuethread();
    ASSERT_TRUE(cue);
    EXPECT_TRUE(cue->gotthere());
    EXPECT_GE(vcr_->tcframes(), 179);  // 00:00:06:00 less one frame
    EXPECT_FALSE(vcr_->getscriptactive());
}

TEST_F(RemoteSimTest, NetworkClientPlaysAndReadsTheMovingTimeCode) {
    CommandServer server(*vcr_);
    ASSERT_TRUE(server.start(0));
    test::TcpClient c(server.port());
    ASSERT_EQ(c.readLine(), "OK");
    ASSERT_TRUE(waitFor([&] { return vcr_->connectThread() != nullptr; }));
    EXPECT_TRUE(c.write("Play\r\n"));
    ASSERT_TRUE(waitFor([&] { return vcr_->tcframes() > 30; }));
    EXPECT_TRUE(c.write("GetTC\r\nStop\r\nStatus\r\n"));
    auto tc = c.readLine();
    ASSERT_TRUE(tc);
    EXPECT_EQ(tc->size(), 11u);
    EXPECT_GT(deck::framesOf(*tc).value_or(0), 30);
    EXPECT_TRUE(c.readLine().has_value());  // the status words last read
    EXPECT_TRUE(c.write("KILL\r\n"));
    EXPECT_TRUE(c.waitClosed());
    server.stop();
}

}  // namespace
}  // namespace vemo::remote
