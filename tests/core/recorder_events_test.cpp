// Lists as editing systems write them, converted with and without the opt-in filters.
#include <gtest/gtest.h>

#include <functional>

#include "core/edl/recorder_edl.h"
#include "recorder_test_view.h"

namespace vemo::core {
namespace {

using testing::commands;
using testing::eventLine;
using testing::manyEvents;
using testing::RecordingView;
using testing::threeEvents;

// A CMX 3600 event line with its own edit number, reel and track.
std::string cmx(const std::string& number, const std::string& reel, const std::string& track,
                const std::string& transition, const std::string& in, const std::string& out) {
    std::string line = number + "  " + reel;
    line.resize(std::max<std::size_t>(line.size() + 1, 14), ' ');
    line += track;
    line.resize(std::max<std::size_t>(line.size() + 1, 20), ' ');
    line += transition;
    line.resize(std::max<std::size_t>(line.size() + 1, 29), ' ');
    return line + in + " " + out + " 01:00:00:00 01:00:10:00";
}

std::string rec(const std::string& in, const std::string& out) {
    return "REC " + in + " " + out + " STOP";
}

// A list with a dissolve (its zero-length outgoing cut first), a black event, an audio-only
// event and a speed line.
const std::string Transitions =
    "TITLE: transitions\r\nFCM: NON-DROP FRAME\r\n" +
    cmx("001", "TAPE1", "V", "C", "00:01:00:00", "00:02:00:00") + "\r\n" +
    cmx("002", "TAPE1", "V", "C", "00:02:10:00", "00:02:10:00") + "\r\n" +
    cmx("002", "TAPE2", "V", "D    030", "00:03:00:00", "00:04:00:00") + "\r\n" +
    cmx("003", "BL", "V", "C", "00:00:00:00", "00:00:00:00") + "\r\n" +
    cmx("004", "TAPE3", "A", "C", "00:05:00:00", "00:05:30:00") + "\r\n" +
    "M2   TAPE3       029.9                00:05:00:00\r\n" +
    cmx("005", "TAPE3", "AA/V", "C", "00:06:00:00", "00:07:00:00") + "\r\n";

struct Case {
    const char* name;
    std::string source;
    std::function<void(RecorderEDL&)> options;
    std::vector<std::string> commands;  // between INI and FNL
    std::vector<std::string> report;
};

class RecorderEvents : public ::testing::TestWithParam<Case> {};

TEST_P(RecorderEvents, ConvertsAsAnEditorExpects) {
    const Case& c = GetParam();
    RecordingView view;
    RecorderEDL edl{&view};
    testing::defaultOptions(edl);
    if (c.options)
        c.options(edl);
    edl.parseText(c.source);
    edl.autoedl();
    std::vector<std::string> expected{"INI"};
    expected.insert(expected.end(), c.commands.begin(), c.commands.end());
    expected.push_back("FNL");
    EXPECT_EQ(commands(edl), expected);
    EXPECT_EQ(edl.leftOutReport(), c.report);
}

const std::string Three[] = {rec("00:01:00:00", "00:02:00:00"), rec("00:03:00:00", "00:04:00:00"),
                             rec("00:05:00:00", "00:06:00:00")};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Dialects, RecorderEvents,
    ::testing::Values(
        Case{"ByteOrderMark",
             "\xEF\xBB\xBF" + threeEvents(),
             {},
             {Three[0], Three[1], Three[2]},
             {}},
        Case{"CrOnly",
             replaced(replaced(replaced(replaced(threeEvents(), "\n", "\r"), "\n", "\r"), "\n",
                               "\r"),
                      "\n", "\r"),
             {},
             {Three[0], Three[1], Three[2]},
             {}},
        Case{"FourAndSixDigitEventNumbers",
             "TITLE: wide\n0001  AX  V  C        00:01:00:00 00:02:00:00 01:00:00:00 01:01:00:00\n"
             "000002 AX V  C        00:03:00:00 00:04:00:00 01:01:00:00 01:02:00:00\n",
             {},
             {Three[0], Three[1]},
             {}},
        Case{"TransitionsAndAudioKeptByDefault",
             Transitions,
             {},
             {rec("00:01:00:00", "00:02:00:00"), rec("00:02:10:00", "00:02:10:00"),
              rec("00:03:00:00", "00:04:00:00"), rec("00:00:00:00", "00:00:00:00"),
              rec("00:05:00:00", "00:05:30:00"), rec("00:06:00:00", "00:07:00:00")},
             {}},
        Case{"AudioOnlyAndZeroLengthLeftOutWhenAsked",
             Transitions,
             [](RecorderEDL& e) { e.skipAudioOnly = e.skipZeroLength = true; },
             {rec("00:01:00:00", "00:02:00:00"), rec("00:03:00:00", "00:04:00:00"),
              rec("00:06:00:00", "00:07:00:00")},
             {}},
        Case{"NewTapeWhereTheReelChanges",
             Transitions,
             [](RecorderEDL& e) { e.skipAudioOnly = e.skipZeroLength = e.reelChanges = true; },
             {rec("00:01:00:00", "00:02:00:00"), "WAI", rec("00:03:00:00", "00:04:00:00"), "WAI",
              rec("00:06:00:00", "00:07:00:00")},
             {}},
        Case{"AutoChapterKeepsEachRecordingOnItsReel",
             "TITLE: reels\n" + cmx("001", "A", "V", "C", "00:01:00:00", "00:02:00:00") + "\n" +
                 cmx("002", "A", "V", "C", "00:03:00:00", "00:04:00:00") + "\n" +
                 cmx("003", "B", "V", "C", "00:00:10:00", "00:00:20:00") + "\n" +
                 cmx("004", "B", "V", "C", "00:00:30:00", "00:00:40:00") + "\n",
             [](RecorderEDL& e) { e.autochapter = e.reelChanges = true; },
             {rec("00:01:00:00", "00:04:00:00"), "CHP 00:03:00:00", "WAI",
              rec("00:00:10:00", "00:00:40:00"), "CHP 00:00:30:00"},
             {}},
        Case{"ImpossibleTimesAreLeftOutAndNamed",
             "TITLE: bad\n" + eventLine(1, "99:99:99:99", "00:00:02:00") + "\n" +
                 eventLine(2, "00:00:05:00", "00:00:04:00") + "\n" +
                 eventLine(3, std::string("00:00:0\0:00", 11), "00:00:09:00") + "\n" +
                 eventLine(4, "00:00:10:00", "00:00:11:00") + "\n",
             {},
             {rec("00:00:10:00", "00:00:11:00")},
             {"line 2: source in 99:99:99:99 is not a time code at 30 fps, event left out",
              "line 3: source out 00:00:04:00 is before source in 00:00:05:00, event left out",
              "line 4: source in 00:00:0\\x00:00 is not a time code at 30 fps, event left out"}},
        Case{"TwentyFiveFramesASecond",
             "TITLE: pal\n" + eventLine(1, "00:00:01:24", "00:00:02:00") + "\n" +
                 eventLine(2, "00:00:01:00", "00:00:02:25") + "\n",
             [](RecorderEDL& e) { e.rate = FrameRate::Fps25; },
             {rec("00:00:01:24", "00:00:02:00")},
             {"line 3: source out 00:00:02:25 is not a time code at 25 fps, event left out"}},
        Case{"DropFrame",
             "TITLE: df\nFCM: DROP FRAME\n" + eventLine(1, "00:00:59;29", "00:01:00;02") + "\n" +
                 eventLine(2, "00:01:00;00", "00:01:10;00") + "\n" +
                 eventLine(3, "00:10:00;00", "00:10:01;00") + "\n",
             [](RecorderEDL& e) { e.rate = FrameRate::Df2997; },
             {"REC 00:00:59;29 00:01:00;02 STOP", "REC 00:10:00;00 00:10:01;00 STOP"},
             {"line 4: source in 00:01:00;00 is not a time code at 29.97DF fps, event left out"}}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

// A list longer than the recorder takes: the first events exactly as before, and a count of
// the rest.
TEST(RecorderFull, LongListCountsWhatWasLeftOut) {
    RecordingView view;
    RecorderEDL edl{&view};
    testing::defaultOptions(edl);
    edl.parseText(manyEvents(500, false));
    edl.autoedl();
    EXPECT_EQ(commands(edl).size(), 98u);
    EXPECT_EQ(edl.lxedl[96], "REC " + testing::timecode(95 * 600) + " " +
                                 testing::timecode(95 * 600 + 300) + " STOP");
    EXPECT_EQ(edl.omissions.notFitting, 404);
    EXPECT_EQ(edl.leftOutReport(),
              std::vector<std::string>{"LX-1 EDL IS FULL: 404 source events left out"});

    // A tape change that finds no room leaves its event out with it.
    std::string reels = "TITLE: reels\n";
    for (int i = 0; i < 98; ++i)
        reels +=
            eventLine(i + 1, testing::timecode(i * 600), testing::timecode(i * 600 + 30)) + "\n";
    reels += replaced(eventLine(99, "00:00:01:00", "00:00:02:00"), "AX", "BX") + "\n";
    edl.initialize = false;
    edl.finalize = false;
    edl.reelChanges = true;
    edl.parseText(reels);
    edl.autoedl();
    EXPECT_EQ(commands(edl).size(), 98u);
    EXPECT_EQ(edl.omissions.notFitting, 1);
    edl.reelChanges = false;
    edl.autoedl();
    EXPECT_EQ(commands(edl).size(), 99u);
    EXPECT_FALSE(edl.omissions.any());
}

}  // namespace
}  // namespace vemo::core
