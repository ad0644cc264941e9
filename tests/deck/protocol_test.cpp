#include "deck/protocol.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "deck/local_vcr.h"
#include "deck/status_words.h"
#include "deck/timecode.h"

namespace vemo::deck {
namespace {

using Bytes = std::vector<std::uint8_t>;
template <std::size_t N>
Bytes bytesOf(const std::array<std::uint8_t, N>& f) {
    return Bytes(f.begin(), f.end());
}

struct NamedFrame {
    const char* name;
    Bytes bytes;
};

// Every constant frame of the command table, as the controller exposes it.
std::vector<NamedFrame> tableFrames() {
    return {{"bsplay", bytesOf(LocalVCR::bsplay)},
            {"bspause", bytesOf(LocalVCR::bspause)},
            {"bsrecord", bytesOf(LocalVCR::bsrecord)},
            {"bsstop", bytesOf(LocalVCR::bsstop)},
            {"bsforward", bytesOf(LocalVCR::bsforward)},
            {"bsrewind", bytesOf(LocalVCR::bsrewind)},
            {"bsslowfifth", bytesOf(LocalVCR::bsslowfifth)},
            {"bsslowthird", bytesOf(LocalVCR::bsslowthird)},
            {"bsslowhalf", bytesOf(LocalVCR::bsslowhalf)},
            {"bsfasttwo", bytesOf(LocalVCR::bsfasttwo)},
            {"bsfastfive", bytesOf(LocalVCR::bsfastfive)},
            {"bsjogf", bytesOf(LocalVCR::bsjogf)},
            {"bsjogr", bytesOf(LocalVCR::bsjogr)},
            {"bssbyon", bytesOf(LocalVCR::bssbyon)},
            {"bssbyoff", bytesOf(LocalVCR::bssbyoff)},
            {"bseeon", bytesOf(LocalVCR::bseeon)},
            {"bseeoff", bytesOf(LocalVCR::bseeoff)},
            {"bscue", bytesOf(protocol::bscue)},
            {"bsstatus", bytesOf(LocalVCR::bsstatus)},
            {"bsgettc", bytesOf(LocalVCR::bsgettc)},
            {"bssettimemode", bytesOf(LocalVCR::bssettimemode)}};
}

TEST(Protocol, EveryTableFrameCarriesItsChecksumAndDataCount) {
    for (const auto& f : tableFrames()) {
        SCOPED_TRACE(f.name);
        ASSERT_GE(f.bytes.size(), 3u);
        EXPECT_EQ(f.bytes.back(), protocol::checksum(f.bytes.data(), f.bytes.size() - 1));
        EXPECT_EQ(f.bytes.size(), protocol::dataCount(f.bytes[0]) + 3);
    }
    for (int speed = 0; speed < 256; ++speed) {
        for (const auto& f : {protocol::shutfwdFrame(speed), protocol::shutrevFrame(speed)}) {
            EXPECT_EQ(f[3], protocol::checksum(f.data(), 3)) << speed;
            EXPECT_EQ(f[4], 0x00);
        }
    }
}

TEST(Protocol, ShuttleFramesAreFiveBytesWithTheSpeed) {
    EXPECT_EQ(bytesOf(protocol::shutfwdFrame(40)), (Bytes{0x21, 0x13, 0x28, 0x5C, 0x00}));
    EXPECT_EQ(bytesOf(protocol::shutrevFrame(40)), (Bytes{0x21, 0x23, 0x28, 0x6C, 0x00}));
    // Only the low 8 bits of the speed travel.
    EXPECT_EQ(protocol::shutfwdFrame(0x128), protocol::shutfwdFrame(0x28));
}

TEST(Protocol, CueFrameFromTimeText) {
    auto f = protocol::cueFrame("01:02:03:04");
    ASSERT_TRUE(f);
    EXPECT_EQ(bytesOf(*f), (Bytes{0x24, 0x31, 0x04, 0x03, 0x02, 0x01, 0x5F}));
    auto g = protocol::cueFrame("23:59:59:29");
    ASSERT_TRUE(g);
    EXPECT_EQ(bytesOf(*g),
              (Bytes{0x24, 0x31, 0x29, 0x59, 0x59, 0x23, protocol::checksum(g->data(), 6)}));
    // The separators are not examined.
    EXPECT_EQ(protocol::cueFrame("01.02.03;04"), f);
}

TEST(Protocol, CueFrameRefusesTextsThatAreNoTimeCode) {
    for (const char* bad : {"", "01:02:03:0", "0a:02:03:04", "01:02:03:4 ", "01:-2:03:04",
                            "01:02:0x:04", "  :  :  :  "}) {
        EXPECT_FALSE(protocol::cueFrame(bad)) << '"' << bad << '"';
    }
}

TEST(TimeCodeBcd, FlagBitsOfFramesAndHoursAreIgnored) {
    BcdDigits d = TCFBCD(0x59);  // flag bit 6 set, BCD 19
    EXPECT_EQ(d.tens, '1');
    EXPECT_EQ(d.units, '9');
    EXPECT_EQ(d.val, 19);
    d = TCFBCD(0x1A);  // units nibble 10 wraps to 0
    EXPECT_EQ(std::string({d.tens, d.units}), "10");
    EXPECT_EQ(d.val, 10);
    d = TCFBCD(0xC1);
    EXPECT_EQ(std::string({d.tens, d.units}), "01");
    std::string tc = "00:00:00:00";
    EXPECT_EQ(TCFBCD(0xC1, tc, 0), 1);
    EXPECT_EQ(TCFBCD(0x59, tc, 9), 19);
    EXPECT_EQ(tc, "01:00:00:19");
}

TEST(TimeCodeBcd, EveryByteDecodesToTwoDigits) {
    for (int b = 0; b < 256; ++b) {
        for (BcdDigits d :
             {TCBCD(static_cast<std::uint8_t>(b)), TCFBCD(static_cast<std::uint8_t>(b))}) {
            ASSERT_TRUE(d.tens >= '0' && d.tens <= '9') << b;
            ASSERT_TRUE(d.units >= '0' && d.units <= '9') << b;
            ASSERT_EQ(d.val, (d.tens - '0') * 10 + (d.units - '0')) << b;
        }
    }
    // A minutes or seconds byte with its top bit set loses only that bit.
    BcdDigits d = TCBCD(0xD9);
    EXPECT_EQ(std::string({d.tens, d.units}), "59");
}

TEST(TimeCodeBcd, TimeDataReplyDecodesOnlyWhenSevenBytesFrom74) {
    std::uint8_t r[16] = {0x74, 0x04, 0x59, 0x23, 0x45, 0xC1, 0xFA};
    auto tc = protocol::decodeTimeData(r, 7);
    ASSERT_TRUE(tc);
    EXPECT_EQ(tc->text(), "01:45:23;19");  // the frames byte's drop-frame flag is set
    EXPECT_TRUE(tc->dropFrame);
    EXPECT_EQ(tc->frameCount(), 108000 + 45 * 1800 + 23 * 30 + 19);
    EXPECT_FALSE(protocol::decodeTimeData(r, 8));
    EXPECT_FALSE(protocol::decodeTimeData(r, 6));
    r[6] = 0x00;  // a wrong checksum
    EXPECT_FALSE(protocol::decodeTimeData(r, 7));
    r[6] = 0xFA;
    r[0] = 0x79;
    EXPECT_FALSE(protocol::decodeTimeData(r, 7));

    // Whole and correct replies whose digits name no time (frames, seconds, minutes, hours).
    auto timeData = [](const Bytes& t) {
        Bytes reply{0x74, 0x04, t[0], t[1], t[2], t[3], 0x00};
        reply[6] = protocol::checksum(reply.data(), 6);
        return reply;
    };
    for (const Bytes& bad : {Bytes{0xFF, 0x00, 0x89, 0x89}, Bytes{0x0A, 0x00, 0x00, 0x01},
                             Bytes{0x00, 0x3F, 0x00, 0x01}, Bytes{0x00, 0x00, 0x0C, 0x01},
                             Bytes{0x00, 0x00, 0x00, 0x1E}, Bytes{0x30, 0x00, 0x00, 0x01},
                             Bytes{0x00, 0x60, 0x00, 0x01}, Bytes{0x00, 0x00, 0x79, 0x01}}) {
        EXPECT_FALSE(protocol::decodeTimeData(timeData(bad).data(), 7))
            << ::testing::PrintToString(bad);
    }
    // The last of each field, with every flag bit set, still names a time.
    auto edge = protocol::decodeTimeData(timeData({0xE9, 0xD9, 0xD9, 0xF9}).data(), 7);
    ASSERT_TRUE(edge);
    EXPECT_EQ(edge->text(), "39:59:59;29");
}

TEST(Replies, OnlyWholeRepliesWithTheirChecksumAreRecognised) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        bool time, status, ack, nak;
    };
    const std::vector<Case> cases = {
        {{0x74, 0x04, 0x00, 0x10, 0x00, 0x00, 0x88}, true, false, false, false},
        {{0x74, 0x06, 0x00, 0x10, 0x00, 0x00, 0x8A}, true, false, false, false},
        {{0x74, 0x04, 0x00, 0x10, 0x00, 0x00, 0x89}, false, false, false, false},
        {{0x79, 0x20, 0, 0x21, 0, 0, 0, 0, 0, 0, 0, 0xBA}, false, true, false, false},
        {{0x79, 0x20, 0, 0x21, 0, 0, 0, 0, 0, 0, 0, 0xBB}, false, false, false, false},
        {{0x79, 0x29, 0, 0x21, 0, 0, 0, 0, 0, 0, 0, 0xC3}, false, false, false, false},
        {{0x10, 0x01, 0x11}, false, false, true, false},
        {{0x11, 0x12, 0x04, 0x27}, false, false, false, true},
        {{0x11, 0x12, 0x04, 0x28}, false, false, false, false},
        {{0x10, 0x01}, false, false, false, false},
    };
    for (const Case& c : cases) {
        const int n = static_cast<int>(c.bytes.size());
        // Every table vector's last byte is its checksum, or deliberately one off.
        EXPECT_EQ(
            protocol::isWholeReply(c.bytes.data(), n),
            n >= 3 && c.bytes.back() == protocol::checksum(c.bytes.data(), c.bytes.size() - 1))
            << ::testing::PrintToString(c.bytes);
        EXPECT_EQ(protocol::isTimeData(c.bytes.data(), n), c.time);
        EXPECT_EQ(protocol::isStatusData(c.bytes.data(), n), c.status);
        EXPECT_EQ(protocol::isAck(c.bytes.data(), n), c.ack);
        EXPECT_EQ(protocol::isNak(c.bytes.data(), n), c.nak);
    }
}

// A late reply of the frame before, taken ahead of the frame's own: only whole replies back
// to back are split, and the frame's own is the last.
TEST(Replies, TheLastOfWholeRepliesBackToBackIsTheFramesOwn) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::optional<int> last;
    };
    const std::vector<Case> cases = {
        {{0x10, 0x01, 0x11}, 0},
        {{0x10, 0x01, 0x11, 0x10, 0x01, 0x11}, 3},
        {{0x10, 0x01, 0x11, 0x11, 0x12, 0x04, 0x27}, 3},
        {{0x74, 0x04, 0x00, 0x10, 0x00, 0x00, 0x88, 0x10, 0x01, 0x11}, 7},
        {{0x10, 0x01, 0x11, 0x10, 0x01}, std::nullopt},
        {{0x10, 0x01, 0x12, 0x10, 0x01, 0x11}, std::nullopt},
        {{0x55, 0x10, 0x01, 0x11}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(protocol::lastOfWholeReplies(c.bytes.data(), static_cast<int>(c.bytes.size())),
                  c.last)
            << ::testing::PrintToString(c.bytes);
    }
}

TEST(TimeCodeText, FrameCountsAndTextsRoundTrip) {
    EXPECT_EQ(framesOf("01:00:00:00"), 108000);
    EXPECT_EQ(framesOf("00:00:12:15"), 375);
    EXPECT_FALSE(framesOf("00:00:12"));
    EXPECT_EQ(TimeCode::fromFrameCount(375).text(), "00:00:12:15");
    for (int n : {0, 29, 30, 1799, 1800, 107999, 108000, 2591999}) {
        TimeCode t = TimeCode::fromFrameCount(n);
        EXPECT_EQ(TimeCode::parse(t.text()), t);
        EXPECT_EQ(t.frameCount(), n);
        auto b = t.toBCD();
        EXPECT_EQ(TimeCode::fromBCD(b[0], b[1], b[2], b[3]), t);
    }
}

// The deck's own reports of its first status byte are kept, never shown as words.
TEST(StatusWords, TheDecksOwnReportsAreReadButNotShown) {
    struct Case {
        std::uint8_t byte0;
        bool local, tapeOut;
    };
    for (const Case& c : {Case{0x00, false, false}, Case{0x01, true, false},
                          Case{0x20, false, true}, Case{0x21, true, true}}) {
        const Bytes s{0x79, 0x20, c.byte0, 0x01, 0x00, 0x00, 0x00, 0x00};
        StatusWords st = decodeStatus(s.data(), false, false);
        EXPECT_EQ(st.local, c.local);
        EXPECT_EQ(st.tapeOut, c.tapeOut);
        EXPECT_EQ(st.words, "Play ");
    }
}

struct StatusCase {
    Bytes s;
    bool lx1;
    bool reviewing;
    std::string words;
    std::vector<Indicator> highlights;
    bool cueup;
    bool preroll;
};

TEST(StatusWords, DecodesWordsHighlightsAndCueBits) {
    const std::vector<StatusCase> cases = {
        {{0x79, 0x20, 0x00, 0x21, 0x00, 0x00, 0x00, 0x00},
         false,
         false,
         "Play Stop ",
         {Indicator::play, Indicator::stop},
         false,
         false},
        {{0x79, 0x20, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00},
         false,
         false,
         "Jog CuedUp ",
         {Indicator::jogForward},
         true,
         false},
        {{0x79, 0x20, 0x00, 0x00, 0x14 | 0x20, 0x00, 0x01, 0x00},
         false,
         false,
         "Shuttle Jog PreCue ",
         {Indicator::shuttle, Indicator::jogReverse},
         false,
         true},
        {{0x79, 0x20, 0x00, 0x8E, 0x00, 0x00, 0x00, 0x00},
         false,
         false,
         "Rec FF REW Stby ",
         {Indicator::record, Indicator::fastForward, Indicator::rewind, Indicator::standby},
         false,
         false},
        // The LX1 recorder has no standby, shuttle or jog.
        {{0x79, 0x20, 0x00, 0x80, 0x30, 0x00, 0x00, 0x00}, true, false, "", {}, false, false},
        {{0x79, 0x20, 0x00, 0xA1, 0x31, 0x00, 0x00, 0x00},
         true,
         false,
         "Play Stop CuedUp ",
         {Indicator::play, Indicator::stop},
         true,
         false},
        // While reviewing only the cue bits are reported.
        {{0x79, 0x20, 0x00, 0xFF, 0x31, 0x00, 0x01, 0x00},
         false,
         true,
         "CuedUp PreCue ",
         {},
         true,
         true},
    };
    for (const auto& c : cases) {
        StatusWords st = decodeStatus(c.s.data(), c.lx1, c.reviewing);
        SCOPED_TRACE(c.words);
        EXPECT_EQ(st.words, c.words);
        EXPECT_EQ(st.highlights, c.highlights);
        EXPECT_EQ(st.cueup, c.cueup);
        EXPECT_EQ(st.preroll, c.preroll);
    }
}

}  // namespace
}  // namespace vemo::deck
