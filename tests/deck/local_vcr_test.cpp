// Transport operations, status and time-code read-back, polling and closing.
#include "deck/local_vcr.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "deck/tc_thread.h"
#include "deck_fakes.h"
#include "support/process.h"
#include "support/stdout_capture.h"

namespace vemo::deck {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::bytesOf;
using vemo::test::waitFor;

class LocalVCRTest : public ::testing::Test {
  protected:
    std::unique_ptr<LocalVCR> make(bool lanc = false) {
        auto vcr = std::make_unique<LocalVCR>(&port, withLanc(lanc));
        vcr->setDisplay(&display);
        return vcr;
    }

    core::Settings withLanc(bool lanc) const {
        core::Settings s = settings;
        s.lanc = lanc;
        return s;
    }

    core::Settings settings;
    vemo::test::FakeCommandPort port;
    vemo::test::FakeDeckDisplay display;
};

struct TransportCase {
    const char* name;
    void (LocalVCR::*op)();
    Bytes frame;
    int movingAfter;  // -1: unchanged
    bool settles;
};

TEST_F(LocalVCRTest, EachTransportOperationSendsItsFrame) {
    const std::vector<TransportCase> cases = {
        {"play", &LocalVCR::play, bytesOf(LocalVCR::bsplay), 1, false},
        {"pause", &LocalVCR::pause, bytesOf(LocalVCR::bspause), -1, false},
        {"stop", &LocalVCR::stop, bytesOf(LocalVCR::bsstop), 0, true},
        {"rewind", &LocalVCR::rewind, bytesOf(LocalVCR::bsrewind), 1, true},
        {"forward", &LocalVCR::forward, bytesOf(LocalVCR::bsforward), 1, true},
        {"slowfifth", &LocalVCR::slowfifth, bytesOf(LocalVCR::bsslowfifth), 1, true},
        {"slowthird", &LocalVCR::slowthird, bytesOf(LocalVCR::bsslowthird), 1, true},
        {"slowhalf", &LocalVCR::slowhalf, bytesOf(LocalVCR::bsslowhalf), 1, true},
        {"fasttwo", &LocalVCR::fasttwo, bytesOf(LocalVCR::bsfasttwo), 1, true},
        {"fastfive", &LocalVCR::fastfive, bytesOf(LocalVCR::bsfastfive), 1, true},
        {"jogr", &LocalVCR::jogr, bytesOf(LocalVCR::bsjogr), 0, true},
        {"jogf", &LocalVCR::jogf, bytesOf(LocalVCR::bsjogf), 0, true},
        {"eeon", &LocalVCR::eeon, bytesOf(LocalVCR::bseeon), 0, true},
        {"eeoff", &LocalVCR::eeoff, bytesOf(LocalVCR::bseeoff), 0, true},
        {"sbyon", &LocalVCR::sbyon, bytesOf(LocalVCR::bssbyon), 0, true},
        {"sbyoff", &LocalVCR::sbyoff, bytesOf(LocalVCR::bssbyoff), 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int before : {0, 1}) {
            auto vcr = make();
            if (before == 1)
                vcr->play();
            // A cue-and-play request that found no open port leaves its flag raised.
            port.serialPort = false;
            vcr->cueplay();
            port.serialPort = true;
            ASSERT_TRUE(vcr->cueplayFlag());
            port.clear();
            (vcr.get()->*c.op)();
            EXPECT_THAT(port.frames(), ::testing::ElementsAre(c.frame));
            EXPECT_EQ(vcr->moving(), c.movingAfter < 0 ? before : c.movingAfter);
            EXPECT_EQ(vcr->cueplayFlag(), !c.settles);
        }
    }
}

TEST_F(LocalVCRTest, RecordFlipsMovingAndShuttleKeepsIt) {
    auto vcr = make();
    vcr->record();
    EXPECT_EQ(vcr->moving(), 1);
    vcr->record();
    EXPECT_EQ(vcr->moving(), 0);
    vcr->shutfwd(40);
    vcr->shutrev(40);
    EXPECT_EQ(vcr->moving(), 0);
    EXPECT_THAT(port.frames(),
                ::testing::ElementsAre(bytesOf(LocalVCR::bsrecord), bytesOf(LocalVCR::bsrecord),
                                       Bytes{0x21, 0x13, 0x28, 0x5C, 0x00},
                                       Bytes{0x21, 0x23, 0x28, 0x6C, 0x00}));
}

TEST_F(LocalVCRTest, PauseOnTheLX1StartsAStillRecorderFirst) {
    settings.lx1 = true;
    auto vcr = make();
    auto start = std::chrono::steady_clock::now();
    vcr->pause();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 450ms);
    EXPECT_THAT(port.frames(),
                ::testing::ElementsAre(bytesOf(LocalVCR::bsplay), bytesOf(LocalVCR::bspause)));
    port.clear();
    vcr->pause();
    EXPECT_THAT(port.frames(), ::testing::ElementsAre(bytesOf(LocalVCR::bspause)));
}

TEST_F(LocalVCRTest, TimeCodeReplyIsPublishedEverywhere) {
    settings.useclipboard = true;
    test::FakeClipboard clip;
    auto vcr = make();
    vcr->setClipboard(&clip);
    port.replyAlways(test::withChecksum({0x74, 0x04, 0x59, 0x23, 0x45, 0xC1}));
    vcr->CommandB8();
    EXPECT_EQ(port.frames().front(), bytesOf(LocalVCR::bsgettc));
    // The frames byte carries the drop-frame flag: ";" before the frames.
    EXPECT_EQ(vcr->TCString(), "01:45:23;19");
    EXPECT_EQ(vcr->fields().tc(), "01:45:23;19");
    EXPECT_EQ(vcr->tcframes(), 108000 + 45 * 1800 + 23 * 30 + 19);
    EXPECT_TRUE(display.has("ShowTC:01:45:23;19"));
    EXPECT_THAT(clip.texts(), ::testing::ElementsAre("01:45:23;19\n"));
}

// Only a whole, correct reply counts: header, length and checksum of what was asked.
TEST_F(LocalVCRTest, RepliesThatAreNotWholeAndCorrectAreIgnored) {
    test::FakeClipboard clip;
    auto vcr = make();
    vcr->setClipboard(&clip);  // clipboard off: nothing goes to it
    const Bytes good = test::withChecksum({0x74, 0x04, 0x00, 0x00, 0x00, 0x01});
    port.replyAlways(good);
    vcr->CommandB8();
    ASSERT_EQ(vcr->TCString(), "01:00:00:00");
    Bytes corrupt = good;
    corrupt[3] = 0x59;  // a seconds byte changed on the way: the checksum no longer fits
    Bytes badHeader = test::withChecksum({0x74, 0x05, 0x59, 0x23, 0x45, 0xC1});
    Bytes stray = test::withChecksum({0x79, 0x04, 0x59, 0x23, 0x45, 0xC1});
    Bytes longer = test::withChecksum({0x74, 0x04, 0x59, 0x23, 0x45, 0xC1, 0x00});
    Bytes cut = {0x74, 0x04, 0x59, 0x23, 0x45, 0xC1};
    Bytes randomStatus = {0x79, 0x20, 0x00, 0xFF, 0x3F, 0x00,
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00};  // last byte is no checksum
    // Whole and correct, but no time: a frames digit above 9, seconds 60.
    Bytes noTime = test::withChecksum({0x74, 0x04, 0xFF, 0x00, 0x89, 0x89});
    Bytes pastAMinute = test::withChecksum({0x74, 0x04, 0x00, 0x60, 0x00, 0x01});
    vemo::test::StdoutCapture log;
    for (const Bytes& reply :
         {corrupt, badHeader, stray, longer, cut, randomStatus, noTime, pastAMinute}) {
        display.clear();
        port.replyAlways(reply);
        vcr->CommandB8();
        vcr->status();
        EXPECT_EQ(vcr->TCString(), "01:00:00:00") << ::testing::PrintToString(reply);
        EXPECT_EQ(vcr->tcframes(), 108000);
        EXPECT_TRUE(display.matching("ShowTC:").empty());
        EXPECT_TRUE(display.matching("hilight:").empty());
        EXPECT_EQ(vcr->StatusString(), "");
    }
    EXPECT_TRUE(clip.texts().empty());
    // Said once for the two, in the same words: the second is counted, not written.
    EXPECT_EQ(log.finish(),
              "Time data from the deck names no time: the last time code stays\n"
              "last line repeated 1 times\n");
}

TEST_F(LocalVCRTest, StatusReplyShowsWordsAndHighlights) {
    auto vcr = make();
    port.replyAlways(
        test::withChecksum({0x79, 0x20, 0x00, 0x21, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    vcr->status();
    EXPECT_EQ(port.frames().front(), bytesOf(LocalVCR::bsstatus));
    EXPECT_EQ(vcr->StatusString(), "Play Stop ");
    EXPECT_THAT(display.calls(),
                ::testing::ElementsAre(
                    "clearbuttons", vemo::test::FakeDeckDisplay::hl(Indicator::play),
                    vemo::test::FakeDeckDisplay::hl(Indicator::stop), "ShowStatus:Play Stop "));
    // A status reply that answers a time-code request is shown as well.
    display.clear();
    port.replyAlways(
        test::withChecksum({0x79, 0x20, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    vcr->CommandB8();
    EXPECT_EQ(display.lastStatus(), "Jog CuedUp ");
    EXPECT_TRUE(display.has(vemo::test::FakeDeckDisplay::hl(Indicator::jogForward)));
    EXPECT_TRUE(vcr->cueup());
}

TEST_F(LocalVCRTest, StatusBitsTheLX1LacksAreNotShown) {
    settings.lx1 = true;
    auto vcr = make();
    const std::uint8_t s[8] = {0x79, 0x20, 0x00, 0x80, 0x30, 0x00, 0x01, 0x00};
    EXPECT_EQ(vcr->ExtractStatusString(s), "PreCue ");
    EXPECT_THAT(display.calls(), ::testing::ElementsAre("clearbuttons"));
    EXPECT_TRUE(vcr->preroll());
}

TEST_F(LocalVCRTest, MissingOrBadStatusReplies) {
    auto vcr = make();
    vcr->status();  // no reply at all
    EXPECT_EQ(display.lastStatus(), "No VCR Status");
    display.clear();
    port.replyAlways({0x79, 0x20, 0x00, 0x21});  // too short: nothing shown
    vcr->status();
    port.replyAlways({0x10, 0x01, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    vcr->status();
    EXPECT_TRUE(display.calls().empty());
    port.outputStream = false;
    port.replyAlways({});
    vcr->status();
    EXPECT_EQ(display.lastStatus(), "No VCR Detected");
}

// A time code lost on the line is read again at once while the deck answers, and only then
// is the pass's status read.
TEST_F(LocalVCRTest, ABadTimeCodeReplyIsReadAgainAtOnce) {
    test::FakeDeck deck;
    std::atomic<int> reads{0};
    port.setReply([&](const Bytes& f) {
        serial::ExchangeResult r = deck.answer(f);
        if (f == bytesOf(LocalVCR::bsgettc) && reads++ % 2 == 0)
            r.bytes[3] ^= 0x10;  // every other time-code reply arrives corrupted
        return r;
    });
    auto vcr = make();
    vcr->GetTC();
    ASSERT_TRUE(waitFor([&] { return port.count(bytesOf(LocalVCR::bsstatus)) >= 2; }));
    vcr->stopPolling();
    auto frames = port.frames();
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames[0], bytesOf(LocalVCR::bsgettc));
    EXPECT_EQ(frames[1], bytesOf(LocalVCR::bsgettc));
    EXPECT_EQ(frames[2], bytesOf(LocalVCR::bsstatus));
    EXPECT_FALSE(display.matching("ShowTC:").empty());
    // Every pass took its time code: one retry each, no more.
    EXPECT_EQ(port.count(bytesOf(LocalVCR::bsgettc)) % 2, 0);
}

TEST_F(LocalVCRTest, AnnounceReadyLogsShowsAndSetsTimerMode) {
    auto vcr = make();
    {
        test::LogCapture log;
        vcr->announceReady();
        EXPECT_TRUE(log.hasLine("Ready"));
    }
    EXPECT_EQ(display.lastStatus(), " Ready");
    EXPECT_THAT(port.frames(), ::testing::ElementsAre(bytesOf(LocalVCR::bssettimemode)));
}

TEST_F(LocalVCRTest, PollingReadsTimeCodeAndEveryEighthPassTheStatus) {
    settings.recon = true;
    test::FakeDeck deck;
    port.setReply([&](const Bytes& f) { return deck.answer(f); });
    auto vcr = make();
    vcr->GetTC();
    vcr->GetTC();  // a second request starts no second thread
    ASSERT_TRUE(waitFor([&] { return port.count(bytesOf(LocalVCR::bsgettc)) >= 17; }));
    vcr->stopPolling();
    auto frames = port.frames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0], bytesOf(LocalVCR::bsgettc));
    EXPECT_EQ(frames[1], bytesOf(LocalVCR::bsstatus));
    // Status right after time-code passes 1, 9, 17, ...
    int passes = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (frames[i] != bytesOf(LocalVCR::bsgettc))
            continue;
        bool statusNext = i + 1 < frames.size() && frames[i + 1] == bytesOf(LocalVCR::bsstatus);
        if (i + 1 < frames.size()) {
            EXPECT_EQ(statusNext, passes % 8 == 0) << passes;
        }
        ++passes;
    }
    EXPECT_EQ(display.lastStatus(), "Stop ");
    // Nothing is sent once polling has stopped.
    auto sent = port.frames().size();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(port.frames().size(), sent);
}

TEST_F(LocalVCRTest, PollingPeriodsAndPromptStop) {
    EXPECT_EQ(TCThread::sleeptimeFor(false, false), 35);
    EXPECT_EQ(TCThread::sleeptimeFor(true, false), 60);
    EXPECT_EQ(TCThread::sleeptimeFor(true, true), 20);
    auto vcr = make(true);
    vcr->GetTC();
    ASSERT_TRUE(waitFor([&] { return !port.frames().empty(); }));
    auto start = std::chrono::steady_clock::now();
    vcr->stopPolling();
    vcr->stopPolling();
    // A period is 60 ms: stopping must not wait for anything like a full cycle of passes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(LocalVCRTest, NoPollingWithoutAnOpenPort) {
    port.serialPort = false;
    auto vcr = make();
    vcr->GetTC();
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(port.frames().empty());
}

TEST_F(LocalVCRTest, CloseDownStopsPollingAndTheDeckTwice) {
    auto vcr = make();
    vcr->GetTC();
    ASSERT_TRUE(waitFor([&] { return !port.frames().empty(); }));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(vcr->closeDown(), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 450ms);
    auto cmds = port.commands();
    EXPECT_THAT(cmds, ::testing::ElementsAre(bytesOf(LocalVCR::bsstop), bytesOf(LocalVCR::bsstop)));
    EXPECT_EQ(port.frames().back(), bytesOf(LocalVCR::bsstop));  // no poll after the stops

    settings.stoponexit = false;
    auto quiet = make();
    port.clear();
    EXPECT_EQ(quiet->closeDown(), 0);
    EXPECT_TRUE(port.frames().empty());
}

}  // namespace
}  // namespace vemo::deck
