#include "remote/script_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <sstream>

#include "core/settings.h"
#include "deck/cue_thread.h"
#include "deck/protocol.h"
#include "fakes.h"
#include "support/stdout_capture.h"
#include "support/temp_dir.h"

namespace vemo::remote {
namespace {

using namespace std::chrono_literals;
using deck::LocalVCR;
using test::bytesOf;
using test::FakeDeck;
namespace protocol = deck::protocol;

const std::string kOpening = " \n**********\nFound Script.txt File\n";
const std::string kClosing = "Script ended\n**********\n \n";

class ScriptRunnerTest : public ::testing::Test {
  protected:
    std::unique_ptr<LocalVCR> makeVcr(FakeDeck& deck, bool lx1 = false, bool recon = false) {
        core::Settings settings;
        settings.lx1 = lx1;
        settings.recon = recon;
        return std::make_unique<LocalVCR>(&deck, settings);
    }

    // Runs the script text on the controller and returns what it wrote to the log.
    std::string run(LocalVCR& vcr, const std::string& text) {
        dir_.write("Script.txt", text);
        ScriptRunner runner(vcr, dir_.file("Script.txt"));
        vemo::test::StdoutCapture capture;
        runner.script();
        EXPECT_FALSE(vcr.getscriptactive());
        return capture.finish();
    }

    vemo::test::TempDir dir_;
    FakeDeck deck_;
};

TEST_F(ScriptRunnerTest, MissingFileSaysSoAndWaits) {
    auto vcr = makeVcr(deck_);
    vcr->setscriptactive(true);
    ScriptRunner runner(*vcr, dir_.file("Script.txt"));
    vemo::test::StdoutCapture capture;
    auto t0 = std::chrono::steady_clock::now();
    runner.script();
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 950ms);
    EXPECT_EQ(capture.finish(), "No script file found!\n");
    EXPECT_FALSE(vcr->getscriptactive());
}

TEST_F(ScriptRunnerTest, EmptyFirstLineRunsNothing) {
    auto vcr = makeVcr(deck_);
    EXPECT_EQ(run(*vcr, "\nPlay\n"), kOpening + kClosing);
    EXPECT_EQ(run(*vcr, ""), kOpening + kClosing);
    EXPECT_TRUE(deck_.commands().empty());
}

TEST_F(ScriptRunnerTest, CommentsAreEchoedAndALoneSemicolonEnds) {
    auto vcr = makeVcr(deck_);
    std::string out = run(*vcr, "; rewind first\nRewind\n;\nPlay\n");
    EXPECT_EQ(out, kOpening + "; rewind first\nRewind\n" + kClosing);
    EXPECT_EQ(deck_.commands(), std::vector<test::Bytes>{bytesOf(protocol::bsrewind)});
}

TEST_F(ScriptRunnerTest, QuitAndShortLinesEndTheRunUnechoed) {
    auto vcr = makeVcr(deck_);
    EXPECT_EQ(run(*vcr, "Play\nQuit\nStop\n"), kOpening + "Play\n" + kClosing);
    EXPECT_EQ(run(*vcr, "Play\ntc1\nStop\n"), kOpening + "Play\n" + kClosing);
    EXPECT_EQ(run(*vcr, "Stop\nQuit"), kOpening + "Stop\n" + kClosing);
    EXPECT_EQ(deck_.countOf(protocol::bsplay), 2);
    EXPECT_EQ(deck_.countOf(protocol::bsstop), 1);
}

TEST_F(ScriptRunnerTest, UnknownWordIsAScriptErrorAndLaterLinesDoNotRun) {
    auto vcr = makeVcr(deck_);
    EXPECT_EQ(run(*vcr, "Play\nplay\nStop\n"), kOpening + "Play\nplay\nScript Error\n" + kClosing);
    EXPECT_EQ(run(*vcr, "Wait-1\nStop\n"), kOpening + "Wait-1\nScript Error\n" + kClosing);
    EXPECT_EQ(deck_.commands(), std::vector<test::Bytes>{bytesOf(protocol::bsplay)});
}

TEST_F(ScriptRunnerTest, StandbyIsAScriptErrorOnTheLx1Recorder) {
    auto vcr = makeVcr(deck_, true);
    EXPECT_EQ(run(*vcr, "SbyOn\nPlay\n"), kOpening + "SbyOn\nScript Error\n" + kClosing);
    EXPECT_TRUE(deck_.commands().empty());
}

TEST_F(ScriptRunnerTest, EveryLineEndIsOneLineEndAndTheLastLineNeedsNone) {
    auto vcr = makeVcr(deck_);
    std::string out = run(*vcr, "Play\r\nPause\rRewind\nForward\r\r\nStop");
    // "Forward" then CR then CR LF: the second line end is an empty line, which ends the run.
    EXPECT_EQ(out, kOpening + "Play\nPause\nRewind\nForward\n" + kClosing);
    EXPECT_EQ(run(*vcr, "Play\r\nStop"), kOpening + "Play\nStop\n" + kClosing);
    EXPECT_EQ(deck_.countOf(protocol::bsstop), 1);
}

TEST_F(ScriptRunnerTest, ScriptIsActiveWhileItRuns) {
    auto vcr = makeVcr(deck_);
    std::atomic<int> activeAtPlay{-1};
    deck_.setOnFrame([&](const test::Bytes& f) {
        if (f == bytesOf(protocol::bsplay))
            activeAtPlay = vcr->getscriptactive() ? 1 : 0;
    });
    run(*vcr, "Play\n");
    EXPECT_EQ(activeAtPlay.load(), 1);
    deck_.setOnFrame(nullptr);
}

TEST_F(ScriptRunnerTest, AFolderNamedScriptTxtIsNotRun) {
    auto vcr = makeVcr(deck_);
    std::filesystem::create_directory(dir_.file("Script.txt"));
    ScriptRunner runner(*vcr, dir_.file("Script.txt"));
    vemo::test::StdoutCapture capture;
    runner.script();
    EXPECT_EQ(capture.finish(), kClosing);
    EXPECT_FALSE(vcr->getscriptactive());
}

TEST_F(ScriptRunnerTest, SequencedReviewReturnsOnlyAfterTheOutPoint) {
    FakeDeck deck(0, 3);  // plays 3 frames per time-code read
    auto vcr = makeVcr(deck, false, true);
    vcr->GetTC();
    std::string out =
        run(*vcr, "tc100:00:02:00\ntc200:00:04:00\nCueIn\nWait0\nReview\nStop\nQuit\n");
    vcr->stopPolling();
    EXPECT_EQ(out, kOpening + "tc100:00:02:00\ntc200:00:04:00\nCueIn\nWait0\nReview\nStop\n" +
                       kClosing);  // no "Cue/Review/Play Finished!" in sequenced mode
    auto cue = vcr->cuethread();
    ASSERT_TRUE(cue);
    EXPECT_TRUE(cue->gotthere());
    // The cue thread halted the deck at the frame before the out point; then the review
    // paused it, and only then did the script's own Stop come.
    auto stops = deck.stopPositions();
    ASSERT_GE(stops.size(), 3u);  // review's opening stop, the halt, the script's Stop
    EXPECT_GE(stops[stops.size() - 2], 119);
    auto frames = deck.commands();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[frames.size() - 2], bytesOf(protocol::bspause));
    EXPECT_EQ(frames.back(), bytesOf(protocol::bsstop));
}

}  // namespace
}  // namespace vemo::remote
