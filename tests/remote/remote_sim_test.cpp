// Scripts and a network client driving the real command port and the deck simulator.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "core/settings.h"
#include "deck/cue_thread.h"
#include "deck/local_vcr.h"
#include "fakes.h"
#include "remote/command_server.h"
#include "remote/script_runner.h"
#include "serial/ser_out_port.h"
#include "support/fake_deck_display.h"
#include "support/log_text.h"
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
            program,
            std::vector<std::string>{"--link", link_.string(), "--type", "recon", "--log",
                                     dir_.file("frames.log").string()},
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

    // A two-second clip from two seconds ahead of the deck; the halt against its out point.
    std::optional<int> reviewAndHalt() {
        const int start = vcr_->tcframes() + 60;
        const int out = start + 60;
        vcr_->fields().setCue(deck::TimeCode::fromFrameCount(start).text());
        vcr_->fields().setEnd(deck::TimeCode::fromFrameCount(out).text());
        if (!vcr_->reviewclip())
            return std::nullopt;
        auto cue = vcr_->cuethread();
        if (!cue || !waitFor([&] { return cue->finished(); }, 60s) || !cue->gotthere())
            return std::nullopt;
        return vemo::test::haltAgainst(dir_.read("frames.log"), out);
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

// The cue thread only queues its words: however the client behaves, the deck halts near the
// out point (the console sends the stop at out - 1). A word waiting on a client that does not
// read would hold the halt for seconds; the bound leaves room for a busy machine, and
// bench/review_client_measure gives the exact figures.
TEST_F(RemoteSimTest, AReviewHaltsOnTimeWhateverTheClientDoes) {
    CommandServer server(*vcr_);
    ASSERT_TRUE(server.start(0));
    enum class Client { reads, floodsAndNeverReads, hangsUpMidReview };
    for (Client kind : {Client::reads, Client::floodsAndNeverReads, Client::hangsUpMidReview}) {
        SCOPED_TRACE(static_cast<int>(kind));
        std::unique_ptr<test::TcpClient> reader;
        std::unique_ptr<test::FloodingClient> flooder;
        if (kind == Client::floodsAndNeverReads) {
            flooder = std::make_unique<test::FloodingClient>(server.port());
        } else {
            reader = std::make_unique<test::TcpClient>(server.port());
            ASSERT_EQ(reader->readLine(), "OK");
        }
        ASSERT_TRUE(waitFor([&] { return vcr_->connectThread() != nullptr; }));
        std::thread hangUp;
        if (kind == Client::hangsUpMidReview) {
            hangUp = std::thread([&] {
                reader->readLine();  // CUEING!
                reader->close();
            });
        }
        auto halt = reviewAndHalt();
        if (hangUp.joinable())
            hangUp.join();
        ASSERT_TRUE(halt);
        EXPECT_GE(*halt, -1);
        EXPECT_LE(*halt, 10);
        if (kind == Client::reads) {
            for (const char* word : {"CUEING!", "CUED!", "x!x!x!", "x#x#x#"})
                EXPECT_EQ(reader->readLine(), word);
            reader->close();
        }
        flooder.reset();
        ASSERT_TRUE(waitFor([&] { return vcr_->connectThread() == nullptr; }));
    }
    server.stop();
}

// A time text that names no real time sends nothing to the deck, from a client as from a
// script; the status line says why.
TEST_F(RemoteSimTest, OutOfRangeTimesFromAClientOrAScriptSendNoFrame) {
    CommandServer server(*vcr_);
    ASSERT_TRUE(server.start(0));
    test::TcpClient c(server.port());
    ASSERT_EQ(c.readLine(), "OK");
    const std::string sent = dir_.read("frames.log");
    EXPECT_TRUE(c.write("tc100:00:99:99\r\nCueIn\r\nCuePlay\r\nReview\r\n"));
    EXPECT_TRUE(waitFor([&] { return display_.saw("Client Command: Review"); }));
    EXPECT_TRUE(display_.saw(
        "Cue point is out of range: 00:00:99:99 (minutes and seconds 00-59, frames 00-29)"));
    EXPECT_TRUE(
        c.write("tc100:00:01:00\r\ntc200:00:01:30\r\nSetOut\r\ntc200:61:00:00\r\n"
                "CueOut\r\nReview\r\nKILL\r\n"));
    EXPECT_TRUE(c.waitClosed());
    EXPECT_TRUE(display_.saw(
        "Out point is out of range: 00:61:00:00 (minutes and seconds 00-59, frames 00-29)"));
    server.stop();

    dir_.write("Script.txt", "tc100:00:05:30\ntc200:00:07:00\nReview\nCueIn\n");
    ScriptRunner runner(*vcr_, dir_.file("Script.txt"));
    vemo::test::StdoutCapture capture;
    runner.script();
    capture.finish();
    EXPECT_EQ(display_.lastStatus(),
              "Cue point is out of range: 00:00:05:30 (minutes and seconds 00-59, frames 00-29)");
    // Only the deck's own polling went out: no cue, play or stop frame.
    const std::string log = dir_.read("frames.log").substr(sent.size());
    for (const char* frame : {"24 31", "20 01 21", "20 00 20"})
        EXPECT_EQ(log.find(std::string(" ") + frame + " "), std::string::npos) << frame;
    EXPECT_EQ(vcr_->cuethread(), nullptr);
}

}  // namespace
}  // namespace vemo::remote
