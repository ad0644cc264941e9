#include "remote/dispatcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "core/settings.h"
#include "deck/protocol.h"
#include "fakes.h"
#include "support/fake_deck_display.h"
#include "support/process.h"

namespace vemo::remote {
namespace {

using namespace std::chrono_literals;
using deck::LocalVCR;
using test::bytesOf;
using test::FakeDeck;
namespace protocol = deck::protocol;

class DispatcherTest : public ::testing::Test {
  protected:
    // A controller for the deck type chosen now (the flags are copied at construction).
    std::unique_ptr<LocalVCR> makeVcr(bool lx1 = false, bool recon = false) {
        core::Settings settings;
        settings.lx1 = lx1;
        settings.recon = recon;
        return std::make_unique<LocalVCR>(&deck_, settings);
    }

    FakeDeck deck_;
};

TEST_F(DispatcherTest, WordsMatchOnlyExactlyAndUnmatchedLinesMoveNothing) {
    auto vcr = makeVcr();
    Dispatcher d(*vcr);
    for (const char* line : {"play", " Play", "Play ", "PLAY", "", "Pl", "Close", "KILL", "Quit",
                             "tc", "wait1", "Stop\r"}) {
        EXPECT_FALSE(d.ParseNetCommand(line)) << '"' << line << '"';
    }
    EXPECT_TRUE(deck_.commands().empty());
}

TEST_F(DispatcherTest, StopIsPerformedOnceAlthoughEveryTestRuns) {
    auto vcr = makeVcr();
    Dispatcher d(*vcr);
    EXPECT_TRUE(d.ParseNetCommand("Stop"));
    ASSERT_EQ(deck_.commands().size(), 1u);
    EXPECT_EQ(deck_.commands()[0], bytesOf(protocol::bsstop));
}

TEST_F(DispatcherTest, EachTransportWordSendsItsFrame) {
    auto vcr = makeVcr();
    Dispatcher d(*vcr);
    const std::vector<std::pair<const char*, test::Bytes>> table = {
        {"Play", bytesOf(protocol::bsplay)},       {"Pause", bytesOf(protocol::bspause)},
        {"Stop", bytesOf(protocol::bsstop)},       {"Forward", bytesOf(protocol::bsforward)},
        {"Rewind", bytesOf(protocol::bsrewind)},   {"Record", bytesOf(protocol::bsrecord)},
        {"JogF", bytesOf(protocol::bsjogf)},       {"JogR", bytesOf(protocol::bsjogr)},
        {"Fast2", bytesOf(protocol::bsfasttwo)},   {"Fast5", bytesOf(protocol::bsfastfive)},
        {"Slow5", bytesOf(protocol::bsslowfifth)}, {"Slow3", bytesOf(protocol::bsslowthird)},
        {"Slow2", bytesOf(protocol::bsslowhalf)},  {"EEOn", bytesOf(protocol::bseeon)},
        {"EEOff", bytesOf(protocol::bseeoff)},     {"SbyOn", bytesOf(protocol::bssbyon)},
        {"SbyOff", bytesOf(protocol::bssbyoff)},
    };
    for (const auto& [word, frame] : table) {
        std::size_t before = deck_.commands().size();
        EXPECT_TRUE(d.ParseNetCommand(word)) << word;
        auto frames = deck_.commands();
        ASSERT_EQ(frames.size(), before + 1) << word;
        EXPECT_EQ(frames.back(), frame) << word;
    }
}

TEST_F(DispatcherTest, GetTCAndStatusAnswerOnlyAConnectedClient) {
    auto vcr = makeVcr();
    Dispatcher d(*vcr);
    EXPECT_TRUE(d.ParseNetCommand("GetTC"));
    EXPECT_TRUE(d.ParseNetCommand("Status"));
    EXPECT_TRUE(deck_.commands().empty());  // the deck is not asked

    auto client = std::make_shared<test::RecordingClient>();
    vcr->setConnectThread(client);
    vcr->CommandB8();
    vcr->CommandStatus();
    EXPECT_TRUE(d.ParseNetCommand("GetTC"));
    EXPECT_TRUE(d.ParseNetCommand("Status"));
    EXPECT_EQ(client->sent(), (std::vector<std::string>{"00:00:00:00", "Stop "}));
    vcr->setConnectThread(nullptr);
}

TEST_F(DispatcherTest, GetTCRepliesWithTheLastTimeCodeRead) {
    FakeDeck moved(2400);  // 00:01:20:00
    LocalVCR vcr(&moved, core::Settings{});
    Dispatcher d(vcr);
    auto client = std::make_shared<test::RecordingClient>();
    vcr.setConnectThread(client);
    vcr.CommandB8();
    EXPECT_TRUE(d.ParseNetCommand("GetTC"));
    EXPECT_EQ(client->sent(), std::vector<std::string>{"00:01:20:00"});
    vcr.setConnectThread(nullptr);
}

TEST_F(DispatcherTest, GetTCAndStatusSayNoDeckWhileTheDeckIsNotAnswering) {
    auto vcr = makeVcr();
    Dispatcher d(*vcr);
    auto client = std::make_shared<test::RecordingClient>();
    vcr->setConnectThread(client);
    vcr->CommandB8();
    deck_.answers = false;
    ASSERT_TRUE(vemo::test::waitFor(
        [&] {
            vcr->CommandB8();
            vcr->checkAnswering();
            return !vcr->deckAnswering();
        },
        10s));
    EXPECT_TRUE(d.ParseNetCommand("GetTC"));
    EXPECT_TRUE(d.ParseNetCommand("Status"));
    deck_.answers = true;
    vcr->CommandB8();  // one valid reply: answering again
    EXPECT_TRUE(d.ParseNetCommand("GetTC"));
    EXPECT_EQ(client->sent(), (std::vector<std::string>{"no deck", "no deck", "00:00:00:00"}));
    vcr->setConnectThread(nullptr);
}

TEST_F(DispatcherTest, Lx1RecorderLacksTapeWordsButCuesAndReviews) {
    auto vcr = makeVcr(true);
    Dispatcher d(*vcr);
    for (const char* line : {"JogF", "JogR", "Fast2", "Fast5", "Slow5", "Slow3", "Slow2", "EEOn",
                             "EEOff", "SbyOn", "SbyOff"}) {
        EXPECT_FALSE(d.ParseNetCommand(line)) << line;
    }
    EXPECT_TRUE(deck_.commands().empty());
    EXPECT_TRUE(d.ParseNetCommand("Play"));
    EXPECT_EQ(deck_.commands().back(), bytesOf(protocol::bsplay));
    EXPECT_TRUE(d.ParseNetCommand("tc100:00:10:00"));
    EXPECT_TRUE(d.ParseNetCommand("CueIn"));
    EXPECT_TRUE(vemo::test::waitFor([&] { return deck_.sawCue(); }, 10s));
    EXPECT_TRUE(d.ParseNetCommand("tc200:00:11:00"));
    EXPECT_TRUE(d.ParseNetCommand("Review"));
    EXPECT_EQ(vcr->duration(), 30);
    vcr->stopCue();
}

TEST_F(DispatcherTest, WaitTakesPlainSecondsOnly) {
    auto vcr = makeVcr();
    Dispatcher d(*vcr);
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(d.ParseNetCommand("Wait0"));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 900ms);

    t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(d.ParseNetCommand("Wait1"));
    auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(took, 950ms);
    EXPECT_LT(took, 20s);

    for (const char* line : {"Wait", "Wait-1", "Wait+1", "Wait 1", "Wait1 ", "Wait1x", "Wait0x10",
                             "Wait99999999999", "Wait2147484", "Wait1.5"}) {
        t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(d.ParseNetCommand(line)) << line;
        EXPECT_LT(std::chrono::steady_clock::now() - t0, 900ms) << line;
    }
    EXPECT_TRUE(deck_.commands().empty());
}

TEST_F(DispatcherTest, WaitSecondsBounds) {
    EXPECT_EQ(Dispatcher::waitSeconds("0"), 0);
    EXPECT_EQ(Dispatcher::waitSeconds("007"), 7);
    EXPECT_EQ(Dispatcher::waitSeconds("00000000000000000001"), 1);
    EXPECT_EQ(Dispatcher::waitSeconds("2147483"), 2147483);  // 2147483000 ms still fits
    EXPECT_EQ(Dispatcher::waitSeconds("2147484"), std::nullopt);
    EXPECT_EQ(Dispatcher::waitSeconds(""), std::nullopt);
    EXPECT_EQ(Dispatcher::waitSeconds("\xd9"), std::nullopt);
}

TEST_F(DispatcherTest, WaitGoesThroughTheGivenWaiter) {
    auto vcr = makeVcr();
    std::vector<int> waits;
    Dispatcher d(*vcr, [&](int ms) { waits.push_back(ms); });
    EXPECT_TRUE(d.ParseNetCommand("Wait10"));
    EXPECT_TRUE(d.ParseNetCommand("Wait2147483"));
    EXPECT_EQ(waits, (std::vector<int>{10000, 2147483000}));
}

TEST_F(DispatcherTest, TimeCodePrefixesSetTheFieldsVerbatimAndSendNothing) {
    auto vcr = makeVcr(false, true);
    Dispatcher d(*vcr);
    EXPECT_TRUE(d.ParseNetCommand("tc1"));
    EXPECT_EQ(vcr->fields().cue(), "");
    EXPECT_TRUE(d.ParseNetCommand("tc1 00:01:20:00"));
    EXPECT_EQ(vcr->fields().cue(), " 00:01:20:00");
    EXPECT_TRUE(d.ParseNetCommand("tc200:00:30:00"));
    EXPECT_EQ(vcr->fields().end(), "00:00:30:00");
    EXPECT_TRUE(deck_.commands().empty());
    EXPECT_FALSE(vcr->cuethread());

    EXPECT_TRUE(d.ParseNetCommand("CueOut"));
    ASSERT_TRUE(vemo::test::waitFor([&] { return deck_.sawCue(); }, 10s));
    auto expected = protocol::cueFrame("00:00:30:00");
    ASSERT_TRUE(expected);
    auto frames = deck_.commands();
    EXPECT_NE(std::find(frames.begin(), frames.end(), bytesOf(*expected)), frames.end());
    vcr->stopCue();
}

TEST_F(DispatcherTest, SetInAndSetOutUseTheWindowWhenThereIsOne) {
    auto vcr = makeVcr();
    Dispatcher d(*vcr);
    vcr->fields().setTC("00:02:00:05");
    EXPECT_TRUE(d.ParseNetCommand("SetIn"));
    EXPECT_TRUE(d.ParseNetCommand("SetOut"));
    EXPECT_EQ(vcr->fields().cue(), "00:02:00:05");
    EXPECT_EQ(vcr->fields().end(), "00:02:00:05");
    EXPECT_EQ(vcr->CueString(), "00:02:00:05");

    vemo::test::FakeDeckDisplay display;
    vcr->setDisplay(&display);
    vcr->fields().setTC("00:03:00:00");
    EXPECT_TRUE(d.ParseNetCommand("SetIn"));
    EXPECT_TRUE(d.ParseNetCommand("SetOut"));
    EXPECT_EQ(display.count("setcue"), 1);
    EXPECT_EQ(display.count("setreview"), 1);
    EXPECT_EQ(vcr->fields().cue(), "00:02:00:05");  // the window does it, not the dispatcher
    vcr->setDisplay(nullptr);
    EXPECT_TRUE(deck_.commands().empty());
}

}  // namespace
}  // namespace vemo::remote
