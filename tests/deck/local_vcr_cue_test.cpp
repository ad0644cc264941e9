// Cueing and clip review against a modelled deck, with the polling thread running.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "deck/cue_thread.h"
#include "deck/local_vcr.h"
#include "deck_fakes.h"
#include "support/process.h"

namespace vemo::deck {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::bytesOf;
using ::testing::ElementsAre;
using vemo::test::waitFor;

Bytes cueBytes(const char* text) {
    return bytesOf(*protocol::cueFrame(text));
}
const Bytes kPlay = bytesOf(LocalVCR::bsplay);
const Bytes kPause = bytesOf(LocalVCR::bspause);
const Bytes kStop = bytesOf(LocalVCR::bsstop);

class CueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.recon = true;  // short settle waits
        deck.fps = 30;          // plays in real time
        port.setReply([this](const Bytes& f) { return deck.answer(f); });
    }

    std::unique_ptr<LocalVCR> make() {
        auto vcr = std::make_unique<LocalVCR>(&port, settings);
        vcr->setDisplay(&display);
        vcr->setConnectThread(client);
        vcr->GetTC();
        return vcr;
    }
    static bool finished(const LocalVCR& vcr) {
        auto t = vcr.cuethread();
        return t && t->finished();
    }
    static bool waitDone(const LocalVCR& vcr, std::chrono::milliseconds limit = 30s) {
        return waitFor([&] { return finished(vcr); }, limit);
    }
    // Display calls that tell the cue's course, in order.
    std::vector<std::string> cueCourse() const {
        std::vector<std::string> out;
        for (auto& c : display.calls()) {
            if (c.rfind("cueControls:", 0) == 0 || c == "ShowStatus:CUED!!")
                out.push_back(c);
        }
        return out;
    }

    test::FakeDeck deck;
    core::Settings settings;
    vemo::test::FakeCommandPort port;
    vemo::test::FakeDeckDisplay display;
    std::shared_ptr<test::RecordingClient> client = std::make_shared<test::RecordingClient>();
};

TEST_F(CueTest, CueRunsItsStepsInOrder) {
    auto vcr = make();
    vcr->fields().setCue("00:01:00:00");
    test::LogCapture log;
    ASSERT_TRUE(vcr->cue());
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_THAT(port.commands(), ElementsAre(cueBytes("00:01:00:00"), kPause));
    EXPECT_THAT(cueCourse(), ElementsAre("cueControls:off", "ShowStatus:CUED!!", "cueControls:on"));
    EXPECT_THAT(client->sent(), ElementsAre("CUEING!", "CUED!"));
    EXPECT_EQ(vcr->CueString(), "00:01:00:00");
    EXPECT_EQ(vcr->moving(), 0);
    EXPECT_TRUE(vcr->cueup());
    EXPECT_TRUE(waitFor([&] { return vcr->tcframes() == 1800; }));
    EXPECT_TRUE(log.hasLine("Cue/Review/Play Finished!"));
}

TEST_F(CueTest, CuePlayAndCueOutUseTheirFields) {
    auto vcr = make();
    vcr->fields().setCue("00:00:01:00");
    vcr->fields().setEnd("00:00:02:00");
    ASSERT_TRUE(vcr->cueplay());
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_THAT(port.commands(), ElementsAre(cueBytes("00:00:01:00"), kPause, kPlay));
    EXPECT_FALSE(vcr->cueplayFlag());
    port.clear();
    ASSERT_TRUE(vcr->cueout());
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_THAT(port.commands(), ElementsAre(cueBytes("00:00:02:00"), kPause));
    EXPECT_EQ(vcr->EndString(), "00:00:02:00");
}

TEST_F(CueTest, ReviewPlaysTheClipAndStopsAtTheOutPoint) {
    deck.fps = 60;
    auto vcr = make();
    vcr->fields().setCue("00:00:10:00");
    vcr->fields().setEnd("00:00:12:15");
    ASSERT_TRUE(vcr->reviewclip());
    EXPECT_EQ(vcr->startframes(), 300);
    EXPECT_EQ(vcr->endframes(), 375);
    EXPECT_EQ(vcr->durationsec(), 2);
    EXPECT_EQ(vcr->durationfr(), 15);
    EXPECT_TRUE(display.has("ShowStatus:Reviewing Clip of Duration= 75"));
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_TRUE(vcr->cuethread()->gotthere());
    EXPECT_THAT(port.commands(), ElementsAre(kStop, cueBytes("00:00:10:00"), kPause, kPlay, kStop));
    // Halted no earlier than the frame before the out point.
    EXPECT_GE(deck.position(), 374);
    EXPECT_LT(deck.position(), 375 + 60);
    EXPECT_THAT(client->sent(), ElementsAre("CUEING!", "CUED!", "x!x!x!", "x#x#x#"));
    EXPECT_EQ(vcr->duration(), 0);
    EXPECT_FALSE(vcr->reviewclipFlag());
    // A review does not change the cue point text.
    EXPECT_EQ(vcr->CueString(), "00:00:00:00");
}

TEST_F(CueTest, StopDuringAReviewEndsItAndRestoresTheControls) {
    deck.advances = false;  // the out point is never reached
    auto vcr = make();
    vcr->fields().setCue("00:00:10:00");
    vcr->fields().setEnd("00:00:12:15");
    test::LogCapture log;
    ASSERT_TRUE(vcr->reviewclip());
    ASSERT_TRUE(waitFor([&] { return client->sent().size() == 3; }));  // waiting for out
    // While reviewing only the cue bits are reported, and the highlights are still cleared.
    display.clear();
    const std::uint8_t s[8] = {0x79, 0x20, 0x00, 0x21, 0x31, 0x00, 0x00, 0x00};
    EXPECT_EQ(vcr->ExtractStatusString(s), "CuedUp ");
    EXPECT_THAT(display.calls(), ElementsAre("clearbuttons"));
    vcr->stop();
    // The review has ended before the operator's stop went out.
    EXPECT_TRUE(vcr->cuethread()->finished());
    EXPECT_FALSE(vcr->cuethread()->gotthere());
    EXPECT_EQ(vcr->cuethread()->outcome(), CueThread::Outcome::ended);
    // The operator's stop is the last frame: the thread does not halt the deck again.
    EXPECT_EQ(port.commands().back(), kStop);
    EXPECT_EQ(port.count(kStop), 2);
    EXPECT_EQ(display.matching("cueControls:").back(), "cueControls:on");
    EXPECT_THAT(client->sent(), ElementsAre("CUEING!", "CUED!", "x!x!x!", "REVIEW ENDED!"));
    EXPECT_TRUE(log.hasLine("Review ended by another command"));
    EXPECT_FALSE(log.hasLine("Cue/Review/Play Finished!"));
}

TEST_F(CueTest, ReviewWhoseTimeCodeStandsStillGivesUpAndHaltsTheDeck) {
    deck.advances = false;
    auto vcr = make();
    vcr->fields().setCue("00:00:10:00");
    vcr->fields().setEnd("00:00:12:15");
    test::LogCapture log;
    ASSERT_TRUE(vcr->reviewclip());
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_EQ(vcr->cuethread()->outcome(), CueThread::Outcome::gaveUp);
    EXPECT_FALSE(vcr->cuethread()->gotthere());
    EXPECT_THAT(port.commands(), ElementsAre(kStop, cueBytes("00:00:10:00"), kPause, kPlay, kStop));
    EXPECT_THAT(client->sent(), ElementsAre("CUEING!", "CUED!", "x!x!x!", "REVIEW GAVE UP!"));
    EXPECT_TRUE(display.has("ShowStatus:Review gave up"));
    EXPECT_TRUE(log.hasLine("Review gave up: the time code stood still"));
    EXPECT_FALSE(log.hasLine("Cue/Review/Play Finished!"));
    EXPECT_EQ(display.matching("cueControls:").back(), "cueControls:on");
}

// Any transport command, whatever its source, ends a running cue before its own frame.
TEST_F(CueTest, EveryTransportCommandEndsARunningCueFirst) {
    struct Case {
        const char* name;
        void (LocalVCR::*op)();
        Bytes frame;
    };
    const std::vector<Case> cases = {
        {"play", &LocalVCR::play, kPlay},
        {"pause", &LocalVCR::pause, kPause},
        {"stop", &LocalVCR::stop, kStop},
        {"rewind", &LocalVCR::rewind, bytesOf(LocalVCR::bsrewind)},
        {"forward", &LocalVCR::forward, bytesOf(LocalVCR::bsforward)},
        {"jogf", &LocalVCR::jogf, bytesOf(LocalVCR::bsjogf)},
        {"record", &LocalVCR::record, bytesOf(LocalVCR::bsrecord)},
    };
    deck.reportsCued = false;  // every cue would wait its whole 50 s
    auto vcr = make();
    vcr->fields().setCue("00:00:10:00");
    for (const Case& c : cases) {
        port.clear();
        ASSERT_TRUE(vcr->cue()) << c.name;
        ASSERT_TRUE(waitFor([&] {
            auto w = client->sent();
            return !w.empty() && w.back() == "CUEING!";
        })) << c.name;
        auto cue = vcr->cuethread();
        ((*vcr).*c.op)();
        EXPECT_TRUE(cue->finished()) << c.name;
        EXPECT_EQ(cue->outcome(), CueThread::Outcome::ended) << c.name;
        EXPECT_THAT(port.commands(), ElementsAre(cueBytes("00:00:10:00"), c.frame)) << c.name;
        EXPECT_EQ(client->sent().back(), "CUE ENDED!") << c.name;
    }
    // The shuttle slider too.
    port.clear();
    ASSERT_TRUE(vcr->cue());
    ASSERT_TRUE(waitFor([&] { return !port.commands().empty(); }));
    vcr->shutfwd(40);
    EXPECT_EQ(vcr->cuethread()->outcome(), CueThread::Outcome::ended);
    EXPECT_THAT(port.commands(),
                ElementsAre(cueBytes("00:00:10:00"), bytesOf(protocol::shutfwdFrame(40))));
}

TEST_F(CueTest, PlayDuringACueSendsNoLaterPause) {
    deck.reportsCued = false;
    auto vcr = make();
    vcr->fields().setCue("00:00:10:00");
    ASSERT_TRUE(vcr->cue());
    ASSERT_TRUE(waitFor([&] { return client->sent().size() == 1; }));
    vcr->play();
    deck.reportsCued = true;  // a late cue complete changes nothing now
    std::this_thread::sleep_for(300ms);
    EXPECT_THAT(port.commands(), ElementsAre(cueBytes("00:00:10:00"), kPlay));
    EXPECT_THAT(client->sent(), ElementsAre("CUEING!", "CUE ENDED!"));
    EXPECT_FALSE(display.has("ShowStatus:CUED!!"));
}

TEST_F(CueTest, ARefusedCueEndsAtOnceAndSaysSo) {
    deck.refusesCue = true;
    auto vcr = make();
    vcr->fields().setCue("00:00:10:00");
    vcr->fields().setEnd("00:00:12:00");
    test::LogCapture log;
    ASSERT_TRUE(vcr->reviewclip());
    ASSERT_TRUE(waitDone(*vcr, 5s));  // well short of the 50 s cue wait
    EXPECT_EQ(vcr->cuethread()->outcome(), CueThread::Outcome::refused);
    EXPECT_THAT(port.commands(), ElementsAre(kStop, cueBytes("00:00:10:00")));
    EXPECT_THAT(client->sent(), ElementsAre("CUE REFUSED!"));
    EXPECT_TRUE(display.has("ShowStatus:Cue refused"));
    EXPECT_TRUE(log.hasLine("Cue refused by the deck"));
    EXPECT_FALSE(vcr->reviewclipFlag());
    EXPECT_FALSE(vcr->cueplayFlag());
    EXPECT_EQ(vcr->moving(), 0);
}

// An out point on or before the in point: cued to the in point, nothing played, and the end
// says the review did not run.
TEST_F(CueTest, ReviewOfNoLengthIsAPlainCueThatSaysSo) {
    for (const char* out : {"00:00:10:00", "00:00:09:00"}) {
        SCOPED_TRACE(out);
        auto vcr = make();
        vcr->fields().setCue("00:00:10:00");
        vcr->fields().setEnd(out);
        port.clear();
        display.clear();
        test::LogCapture log;
        ASSERT_TRUE(vcr->reviewclip());
        EXPECT_TRUE(display.has("ShowStatus:No Review is possible"));
        ASSERT_TRUE(waitDone(*vcr));
        EXPECT_EQ(vcr->cuethread()->outcome(), CueThread::Outcome::noReview);
        EXPECT_TRUE(log.hasLine("No Review is possible"));
        EXPECT_THAT(port.commands(), ElementsAre(kStop, cueBytes("00:00:10:00"), kPause));
        EXPECT_EQ(client->sent().back(), "NO REVIEW!");
        client = std::make_shared<test::RecordingClient>();
    }
}

// The cue point is read once: a new in point arriving while the running cue ends (as a
// network "tc1" can) does not cancel the cue that was asked for.
TEST_F(CueTest, TheCuePointIsReadOnce) {
    deck.reportsCued = false;  // the first cue waits until it is ended
    auto vcr = make();
    vcr->fields().setCue("00:01:00:00");
    ASSERT_TRUE(vcr->cue());
    ASSERT_TRUE(waitFor([&] { return client->sent().size() == 1; }));
    vcr->fields().setCue("00:02:00:00");
    display.setOnCueControls([&](bool on) {
        if (on)
            vcr->fields().setCue("not a time");
    });
    ASSERT_TRUE(vcr->cue());
    display.setOnCueControls(nullptr);
    EXPECT_TRUE(waitFor([&] { return port.sent(cueBytes("00:02:00:00")); }));
    EXPECT_EQ(vcr->CueString(), "00:02:00:00");
}

// A cue frame that never reached the line, or that the deck answered neither time, ends the
// cue at once and says which; a transport frame the deck did not answer goes out once more.
TEST_F(CueTest, FramesWithoutAnAnswerEndAtOnceAndSaySo) {
    struct Case {
        const char* name;
        bool sent;
        int cueFrames;
        CueThread::Outcome outcome;
        const char* word;
    };
    for (const Case& c :
         {Case{"not sent", false, 1, CueThread::Outcome::notSent, "CUE NOT SENT!"},
          Case{"silent", true, 2, CueThread::Outcome::silent, "DECK DID NOT ANSWER!"}}) {
        SCOPED_TRACE(c.name);
        client = std::make_shared<test::RecordingClient>();
        port.clear();
        display.clear();
        port.setReply([&](const Bytes& f) {
            if (f.size() == 7 && f[0] == 0x24 && f[1] == 0x31) {
                serial::ExchangeResult none;
                none.sent = c.sent;
                return none;
            }
            return deck.answer(f);
        });
        auto vcr = make();
        ASSERT_TRUE(waitFor([&] { return display.has("ShowTC:00:00:00:00"); }));
        vcr->fields().setCue("00:00:10:00");
        ASSERT_TRUE(vcr->cue());
        ASSERT_TRUE(waitDone(*vcr, 5s));  // well short of the 50 s cue wait
        EXPECT_EQ(vcr->cuethread()->outcome(), c.outcome);
        EXPECT_EQ(port.count(cueBytes("00:00:10:00")), c.cueFrames);
        EXPECT_THAT(client->sent(), ElementsAre(c.word));
    }
    port.clear();
    display.clear();
    port.setReply(
        [&](const Bytes& f) { return f == kPlay ? serial::ExchangeResult{} : deck.answer(f); });
    auto vcr = make();
    ASSERT_TRUE(waitFor([&] { return display.has("ShowTC:00:00:00:00"); }));
    test::LogCapture log;
    vcr->play();
    EXPECT_EQ(port.count(kPlay), 2);
    EXPECT_TRUE(log.hasLine("Deck did not answer a command, nor its repeat"));
    // A late reply of the frame before, ahead of the frame's own, is no silence.
    port.clear();
    port.setReply([&](const Bytes& f) {
        serial::ExchangeResult r = deck.answer(f);
        if (f == kStop)
            r = test::replyOf({0x10, 0x01, 0x11, 0x10, 0x01, 0x11});
        return r;
    });
    vcr->stop();
    EXPECT_EQ(port.count(kStop), 1);
}

// A deck that crawls towards the out point never stands still, yet the review ends.
TEST_F(CueTest, AReviewThatNeverReachesItsOutPointEndsWithinItsBound) {
    EXPECT_EQ(CueThread::outPointBound(30, core::FrameRate::Fps30), 7s);
    EXPECT_EQ(CueThread::outPointBound(75, core::FrameRate::Fps25), 11s);
    deck.fps = 2;
    auto vcr = make();
    vcr->fields().setCue("00:00:10:00");
    vcr->fields().setEnd("00:00:11:00");
    test::LogCapture log;
    ASSERT_TRUE(vcr->reviewclip());
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_EQ(vcr->cuethread()->outcome(), CueThread::Outcome::overdue);
    EXPECT_EQ(port.commands().back(), kStop);
    EXPECT_THAT(client->sent().back(), "REVIEW GAVE UP!");
    EXPECT_TRUE(
        log.hasLine("Review gave up: the out point was not reached in twice the clip's length"));
}

// After cue-and-play the deck plays: the LX1's next pause needs no play first.
TEST_F(CueTest, CueAndPlayLeavesTheDeckMoving) {
    settings.recon = false;
    settings.lx1 = true;
    auto vcr = make();
    vcr->fields().setCue("00:00:10:00");
    ASSERT_TRUE(vcr->cueplay());
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_EQ(vcr->moving(), 1);
    port.clear();
    vcr->pause();
    EXPECT_THAT(port.commands(), ElementsAre(kPause));
}

TEST_F(CueTest, ANewCueEndsTheRunningOne) {
    deck.reportsCued = false;  // the first cue would wait 50 s
    auto vcr = make();
    vcr->fields().setCue("00:01:00:00");
    ASSERT_TRUE(vcr->cue());
    ASSERT_TRUE(waitFor([&] { return client->sent().size() == 1; }));
    auto first = vcr->cuethread();
    deck.reportsCued = true;
    vcr->fields().setCue("00:02:00:00");
    ASSERT_TRUE(vcr->cue());
    EXPECT_TRUE(first->finished());
    EXPECT_TRUE(first->cancelled());
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_NE(vcr->cuethread(), first);
    // The first cue sent nothing after it was ended.
    EXPECT_THAT(port.commands(),
                ElementsAre(cueBytes("00:01:00:00"), cueBytes("00:02:00:00"), kPause));
    EXPECT_THAT(cueCourse(), ElementsAre("cueControls:off", "cueControls:on", "cueControls:off",
                                         "ShowStatus:CUED!!", "cueControls:on"));
}

// A status reply asked for before the cue frame but taken after it says the last cue is
// complete: that must not end the new cue's wait.
TEST_F(CueTest, AStatusReplyInFlightCannotCompleteTheNewCue) {
    LocalVCR vcr(&port, settings);  // no polling: the one status exchange is the test's
    vcr.setDisplay(&display);
    deck.answer(cueBytes("00:00:05:00"));  // the deck stands cued at the last cue point
    const Bytes newCue = cueBytes("00:00:20:00");
    std::atomic<bool> taking{false};
    display.onClearButtons = [&] {
        if (taking.exchange(true))
            return;
        waitFor([&] { return port.count(newCue) == 1; }, 10s);
        deck.reportsCued = false;  // from now on the deck is winding to the new point
    };
    std::thread status([&] { vcr.CommandStatus(); });
    ASSERT_TRUE(waitFor([&] { return taking.load(); }));
    vcr.fields().setCue("00:00:20:00");
    ASSERT_TRUE(vcr.cue());
    status.join();
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(vcr.cueup());
    EXPECT_FALSE(vcr.cuethread()->finished());
    EXPECT_THAT(port.commands(), ElementsAre(newCue));  // no pause: still waiting
    vcr.stopCue();
}

TEST_F(CueTest, TextsThatAreNoTimeCodeSendNothing) {
    auto vcr = make();
    vcr->fields().setCue("00:00:05:00");
    ASSERT_TRUE(vcr->MakeCueString());
    const auto filled = vcr->bscue();
    vcr->fields().setCue("12:3");
    EXPECT_FALSE(vcr->cue());
    EXPECT_EQ(display.lastStatus(), "Cue point is not a time code: 12:3");
    EXPECT_FALSE(vcr->cueplay());
    vcr->fields().setEnd("00:00:1x:00");
    EXPECT_FALSE(vcr->cueout());
    EXPECT_EQ(display.lastStatus(), "Out point is not a time code: 00:00:1x:00");
    EXPECT_FALSE(vcr->reviewclip());  // refused before the review's stop
    EXPECT_EQ(display.lastStatus(), "Cue point is not a time code: 12:3");
    // Times that do not exist are refused as well, wherever they were typed or sent.
    vcr->fields().setCue("00:00:99:99");
    EXPECT_FALSE(vcr->cue());
    EXPECT_EQ(display.lastStatus(),
              "Cue point is out of range: 00:00:99:99 (minutes and seconds 00-59, frames 00-29)");
    vcr->fields().setCue("00:00:05:00");
    vcr->fields().setEnd("00:60:00:00");
    EXPECT_FALSE(vcr->cueout());
    EXPECT_FALSE(vcr->reviewclip());
    EXPECT_EQ(display.lastStatus(),
              "Out point is out of range: 00:60:00:00 (minutes and seconds 00-59, frames 00-29)");
    vcr->fields().setCue("00:00:05:30");
    EXPECT_FALSE(vcr->MakeCueString());
    EXPECT_TRUE(port.commands().empty());
    EXPECT_EQ(vcr->cuethread(), nullptr);
    EXPECT_EQ(vcr->bscue(), filled);
    EXPECT_EQ(vcr->CueString(), "00:00:05:00");
}

// At 25 and at 29.97 drop-frame the review counts the rate's own frames, and a frame the
// rate has not got is refused before anything is sent.
TEST_F(CueTest, OtherFrameRatesCountTheirOwnFrames) {
    deck.fps = 60;
    const struct {
        core::FrameRate rate;
        const char* in;
        const char* out;
        int start, end, seconds, frames;
        const char* refused;
        const char* range;
    } cases[] = {
        {core::FrameRate::Fps25, "00:00:10:00", "00:00:12:15", 250, 315, 2, 15, "00:00:12:25",
         "minutes and seconds 00-59, frames 00-24"},
        {core::FrameRate::Df2997, "00:00:59;20", "00:01:00;10", 1790, 1808, 0, 18, "00:01:00;01",
         "minutes and seconds 00-59, frames 00-29, no ;00 or ;01 at a minute's start but every "
         "tenth"},
    };
    for (const auto& c : cases) {
        settings.frameRate = c.rate;
        auto vcr = make();
        vcr->fields().setCue(c.in);
        vcr->fields().setEnd(c.refused);
        EXPECT_FALSE(vcr->cueout());
        EXPECT_EQ(display.lastStatus(),
                  "Out point is out of range: " + std::string(c.refused) + " (" + c.range + ")");
        vcr->fields().setEnd(c.out);
        ASSERT_TRUE(vcr->reviewclip());
        EXPECT_EQ(vcr->startframes(), c.start);
        EXPECT_EQ(vcr->endframes(), c.end);
        EXPECT_EQ(vcr->durationsec(), c.seconds);
        EXPECT_EQ(vcr->durationfr(), c.frames);
        ASSERT_TRUE(waitDone(*vcr));
        vcr->stopPolling();
    }
}

TEST_F(CueTest, NothingHappensWithoutAnOpenPort) {
    port.serialPort = false;
    auto vcr = make();
    vcr->fields().setCue("00:01:00:00");
    EXPECT_FALSE(vcr->cue());
    EXPECT_FALSE(vcr->CueUp());
    EXPECT_EQ(vcr->cuethread(), nullptr);
    EXPECT_TRUE(port.frames().empty());
}

TEST_F(CueTest, SequencedReviewWaitsForTheOutPointThenPauses) {
    deck.fps = 120;
    auto vcr = make();
    vcr->setscriptactive(true);
    vcr->fields().setCue("00:00:10:00");
    vcr->fields().setEnd("00:00:11:00");
    test::LogCapture log;
    ASSERT_TRUE(vcr->reviewclip());
    EXPECT_TRUE(vcr->cuethread()->gotthere());
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_THAT(port.commands(),
                ElementsAre(kStop, cueBytes("00:00:10:00"), kPause, kPlay, kStop, kPause));
    EXPECT_FALSE(log.hasLine("Cue/Review/Play Finished!"));
}

// The logger's Review ALL and scripts go on only after a review that reached its out point;
// an operator's stop ends the review with no pause after it.
TEST_F(CueTest, SequencedReviewEndedByStopReturnsFalseAndSendsNoPause) {
    deck.advances = false;
    auto vcr = make();
    vcr->setscriptactive(true);
    vcr->fields().setCue("00:00:10:00");
    vcr->fields().setEnd("00:00:11:00");
    std::atomic<int> result{-1};
    std::thread sequenced([&] { result = vcr->reviewclip() ? 1 : 0; });
    ASSERT_TRUE(waitFor([&] { return client->sent().size() == 3; }));
    vcr->stop();
    sequenced.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(vcr->cuethread()->outcome(), CueThread::Outcome::ended);
    EXPECT_THAT(port.commands(), ElementsAre(kStop, cueBytes("00:00:10:00"), kPause, kPlay, kStop));
}

TEST_F(CueTest, ClosingEndsARunningCue) {
    deck.reportsCued = false;
    auto vcr = make();
    vcr->fields().setCue("00:01:00:00");
    ASSERT_TRUE(vcr->cue());
    ASSERT_TRUE(waitFor([&] { return client->sent().size() == 1; }));
    auto cue = vcr->cuethread();
    EXPECT_EQ(vcr->closeDown(), 0);
    EXPECT_TRUE(cue->finished());
    EXPECT_EQ(display.matching("cueControls:").back(), "cueControls:on");
    EXPECT_THAT(port.commands(), ElementsAre(cueBytes("00:01:00:00"), kStop, kStop));
}

// The deck types below settle for 2 s twice per cue: kept to these tests.
TEST_F(CueTest, ACueThatNeverCompletesTimesOutAndPlaysNothing) {
    settings.recon = false;
    settings.lx1 = true;  // its cue wait is 2 s
    deck.reportsCued = false;
    auto vcr = make();
    vcr->fields().setCue("00:00:10:00");
    test::LogCapture log;
    ASSERT_TRUE(vcr->cueplay());
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_EQ(vcr->cuethread()->outcome(), CueThread::Outcome::timedOut);
    EXPECT_THAT(port.commands(), ElementsAre(kPlay, kPause, kPause, cueBytes("00:00:10:00")));
    EXPECT_THAT(client->sent(), ElementsAre("CUEING!", "CUE TIMEOUT!"));
    EXPECT_FALSE(display.has("ShowStatus:CUED!!"));
    EXPECT_TRUE(display.has("ShowStatus:Cue timed out"));
    EXPECT_TRUE(log.hasLine("Cue timed out: the deck never reported the cue complete"));
    EXPECT_FALSE(log.hasLine("Cue/Review/Play Finished!"));
}

TEST_F(CueTest, ReviewOnTheLX1PausesAroundTheCueAndAtTheOutPoint) {
    settings.recon = false;
    settings.lx1 = true;
    auto vcr = make();
    EXPECT_EQ(std::make_shared<CueThread>(*vcr, nullptr)->maxtries(), 100);
    vcr->fields().setCue("00:00:10:00");
    vcr->fields().setEnd("00:00:10:20");
    ASSERT_TRUE(vcr->reviewclip());
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_THAT(port.commands(),
                ElementsAre(kPlay, kPause, kPause, cueBytes("00:00:10:00"), kPlay, kPause));
    EXPECT_GE(deck.position(), 319);
}

TEST_F(CueTest, ReviewOnATapeDeckEndsWithStop) {
    settings.recon = false;
    auto vcr = make();
    EXPECT_EQ(std::make_shared<CueThread>(*vcr, nullptr)->maxtries(), 2500);
    vcr->fields().setCue("00:00:10:00");
    vcr->fields().setEnd("00:00:10:20");
    ASSERT_TRUE(vcr->reviewclip());
    ASSERT_TRUE(waitDone(*vcr));
    EXPECT_THAT(port.commands(), ElementsAre(kStop, cueBytes("00:00:10:00"), kPause, kPlay, kStop));
    EXPECT_GE(deck.position(), 319);
}

// A review settling on one thread keeps no lock: a stop from another thread goes out at once
// and the review gives way to it instead of cueing afterwards.
TEST_F(CueTest, AStopDuringAReviewsSettleWinsOverIt) {
    settings.recon = false;  // a tape deck settles 1 s twice before it cues
    auto vcr = make();
    vcr->fields().setCue("00:00:10:00");
    vcr->fields().setEnd("00:00:10:20");
    std::atomic<int> reviewed{-1};
    std::thread review([&] { reviewed = vcr->reviewclip() ? 1 : 0; });
    ASSERT_TRUE(waitFor([&] { return !port.commands().empty(); }));
    vcr->stop();
    review.join();
    EXPECT_EQ(reviewed.load(), 0);
    EXPECT_THAT(port.commands(), ElementsAre(kStop, kStop));
    EXPECT_EQ(vcr->cuethread(), nullptr);
}

}  // namespace
}  // namespace vemo::deck
