#include <gtest/gtest.h>

#include <sstream>

#include "core/edl/recorder_edl.h"
#include "recorder_test_view.h"

namespace vemo::core {
namespace {

using testing::eventLine;
using testing::manyEvents;
using testing::RecordingView;
using testing::threeEvents;
using testing::timecode;

class RecorderConvert : public ::testing::Test {
  protected:
    void SetUp() override { testing::defaultOptions(edl); }

    // As the window's load: read, then convert from the first line.
    void load(const std::string& text) {
        edl.parseText(text);
        edl.rawline = 0;
        edl.autoedl();
    }

    int countRec() const {
        int n = 0;
        for (const auto& c : edl.lxedl)
            n += c.rfind("REC ", 0) == 0 ? 1 : 0;
        return n;
    }

    RecordingView view;
    RecorderEDL edl{&view};
};

// The output area's lines of the header and every command, as built for a three-event list.
constexpr const char* ThreeEventList =
    "PIONEER-DVDRec-EDL 001\n"
    "000 INI\n"
    "000 REC 00:01:00:00 00:02:00:00 STOP\n"
    "000 REC 00:03:00:00 00:04:00:00 STOP\n"
    "000 REC 00:05:00:00 00:06:00:00 STOP\n"
    "000 FNL\n";

TEST_F(RecorderConvert, NewListFollowsIniAndFnl) {
    edl.newlxedl();
    EXPECT_EQ(edl.lxedl[0], "INI");
    EXPECT_EQ(edl.lxedl[1], "FNL");
    EXPECT_EQ(edl.lxmin, 1);
    EXPECT_EQ(edl.lxline, 1);
    EXPECT_EQ(edl.lxmax, 97);
    EXPECT_EQ(view.outputs.back(), "PIONEER-DVDRec-EDL 001\n000 INI\n000 FNL\n");

    edl.initialize = false;
    edl.newlxedl();
    EXPECT_EQ(edl.lxedl[0], "FNL");
    EXPECT_EQ(edl.lxmax, 98);
    EXPECT_EQ(edl.lxline, 0);

    edl.finalize = false;
    edl.newlxedl();
    EXPECT_EQ(edl.lxmax, 99);
    EXPECT_EQ(edl.lxfile, "PIONEER-DVDRec-EDL 001\n");
}

TEST_F(RecorderConvert, ListTakesAtMostLxmaxEvents) {
    load(manyEvents(100, false));
    EXPECT_EQ(countRec(), 96);
    EXPECT_EQ(edl.lxline, 97);
    EXPECT_EQ(edl.lxedl[96].substr(0, 15), "REC " + timecode(95 * 600));
    EXPECT_EQ(edl.lxedl[97], "FNL");
    EXPECT_EQ(edl.lxedl[98], " ");

    edl.initialize = false;
    edl.finalize = false;
    load(manyEvents(100, false));
    EXPECT_EQ(countRec(), 99);
    EXPECT_EQ(edl.lxedl[98].substr(0, 15), "REC " + timecode(98 * 600));

    edl.finalize = true;
    load(manyEvents(100, false));
    EXPECT_EQ(countRec(), 98);
    EXPECT_EQ(edl.lxedl[98], "FNL");

    edl.initialize = true;
    edl.finalize = false;
    load(manyEvents(100, false));
    EXPECT_EQ(countRec(), 97);
}

TEST_F(RecorderConvert, EventLinesGiveTheSourceTimes) {
    // 27 characters before the source in: its first ":" lies at position 29.
    const std::string prefix = "001  AX       V     C      ";
    ASSERT_EQ(prefix.size(), 27u);
    struct Case {
        std::string line;
        std::string command;  // empty: the line adds nothing
    } cases[] = {
        {prefix + "00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00",
         "REC 00:00:05:00 00:00:07:00 STOP"},
        {prefix + "00:00:05;00 00:00:07;00 01:00:00;00 01:00:02;00",
         "REC 00:00:05;00 00:00:07;00 STOP"},
        {prefix + "00:00:05:00  00:00:07:00 01:00:00:00 01:00:02:00",
         "REC 00:00:05:00 00:00:07:00 STOP"},
        {prefix + "00:00:05:00 00:00:07:00", "REC 00:00:05:00 00:00:07:00 STOP"},
        {prefix + "00:0005:00 00:00:07:00 01:00:00:00 01:00:02:00", ""},
        {prefix + "0x:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00", ""},
        {"TITLE: 00:00:05:00 00:00:07:00 01:00:00:00", ""},
        {"* FROM CLIP NAME: 00:00:05:00 00:00:07:00", ""},
        {"FCM: NON-DROP FRAME", ""},
        {"12:45:78:01", ""},
        // A motion line carries one time only; it must add nothing rather than fail.
        {"M2   AX       029.9      00:00:05:00", ""},
        {prefix + "00:00:05:00 00:00:0", ""},
        {prefix + "00:00:05:00", ""},
        {std::string(40, ' ') + "9:", ""},
    };
    for (const auto& c : cases) {
        edl.newlxedl();
        edl.getsourcetime(c.line);
        if (c.command.empty()) {
            EXPECT_EQ(edl.lxline, 1) << c.line;
            EXPECT_EQ(edl.lxedl[1], "FNL") << c.line;
        } else {
            EXPECT_EQ(edl.lxline, 2) << c.line;
            EXPECT_EQ(edl.lxedl[1], c.command) << c.line;
            EXPECT_EQ(edl.lxedl[2], "FNL") << c.line;
        }
    }
}

TEST_F(RecorderConvert, ThreeEventExample) {
    load(threeEvents());
    EXPECT_EQ(edl.lxfile, ThreeEventList);
    EXPECT_EQ(view.outputs.back(), ThreeEventList);
    // The file has the same lines ended with CR LF.
    std::string crlf;
    std::istringstream in(ThreeEventList);
    for (std::string line; std::getline(in, line);)
        crlf += line + "\r\n";
    EXPECT_EQ(edl.edltext(true), crlf);
    // The automatic run leaves the source shown whole and the position at the start.
    EXPECT_EQ(edl.rawline, 0);
    EXPECT_EQ(view.sources.back(), threeEvents());
}

TEST_F(RecorderConvert, OneTitlePausesBetweenEventsAndStopsLast) {
    edl.onetitle = true;
    load(threeEvents());
    EXPECT_EQ(edl.lxedl[1], "REC 00:01:00:00 00:02:00:00 PAUSE");
    EXPECT_EQ(edl.lxedl[2], "REC 00:03:00:00 00:04:00:00 PAUSE");
    EXPECT_EQ(edl.lxedl[3], "REC 00:05:00:00 00:06:00:00 STOP");
    EXPECT_EQ(edl.titlemodestring, "STOP");

    // Every new run takes its mode from All PS again, not from the last run's fix-up.
    edl.initialize = false;
    edl.autoedl();
    EXPECT_EQ(edl.lxedl[0], "REC 00:01:00:00 00:02:00:00 PAUSE");
    EXPECT_EQ(edl.lxedl[2], "REC 00:05:00:00 00:06:00:00 STOP");
    edl.rawline = 0;
    edl.parsenextline();
    edl.parsenextline();
    edl.parsenextline();
    EXPECT_EQ(edl.lxedl[0], "REC 00:01:00:00 00:02:00:00 PAUSE");
}

TEST_F(RecorderConvert, AutoChapterMakesOneRecordingWithMarks) {
    edl.autochapter = true;
    load(threeEvents());
    EXPECT_EQ(edl.lxfile,
              "PIONEER-DVDRec-EDL 001\n"
              "000 INI\n"
              "000 REC 00:01:00:00 00:06:00:00 STOP\n"
              "001 CHP 00:03:00:00\n"
              "002 CHP 00:05:00:00\n"
              "002 FNL\n");
}

TEST_F(RecorderConvert, ChapterNumbersRunPastNine) {
    edl.autochapter = true;
    load(manyEvents(13, false));
    std::istringstream in(edl.lxfile);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[1], "000 INI");
    EXPECT_EQ(lines[2].substr(0, 8), "000 REC ");
    for (int i = 1; i <= 12; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", i);
        EXPECT_EQ(lines[static_cast<std::size_t>(i) + 2],
                  std::string(number) + " CHP " + timecode(i * 600));
    }
    EXPECT_EQ(lines[15], "012 FNL");
}

TEST_F(RecorderConvert, CommentLinesBetweenEventsDoNotCutTheRunShort) {
    load(manyEvents(120, true));
    EXPECT_EQ(countRec(), 96);
    EXPECT_EQ(edl.lxedl[96].substr(0, 15), "REC " + timecode(95 * 600));
    EXPECT_EQ(edl.lxedl[97], "FNL");
    // The full list is told once, and held for a second.
    int told = 0;
    for (const auto& s : view.sources)
        told += s == "LX-1 EDL IS FULL" ? 1 : 0;
    EXPECT_EQ(told, 1);
    EXPECT_EQ(view.waits, std::vector<int>{1000});
}

TEST_F(RecorderConvert, FullOneTitleListEndsWithStop) {
    edl.onetitle = true;
    load(manyEvents(100, false));
    EXPECT_EQ(edl.lxedl[95].substr(28), "PAUSE");
    EXPECT_EQ(edl.lxedl[96].substr(28), "STOP");
}

TEST_F(RecorderConvert, ProcessLineStepsThroughTheSource) {
    edl.parseText(threeEvents());
    edl.rawline = 0;
    edl.parsenextline();
    EXPECT_EQ(view.sources.back(), "1 TITLE: three");
    EXPECT_EQ(edl.lxline, 1);
    edl.parsenextline();
    edl.parsenextline();
    EXPECT_EQ(view.sources.back(), "3 " + eventLine(1, "00:01:00:00", "00:02:00:00"));
    EXPECT_EQ(edl.lxedl[1], "REC 00:01:00:00 00:02:00:00 STOP");
    EXPECT_EQ(edl.lxedl[2], "FNL");
    EXPECT_TRUE(view.waits.empty());
}

TEST_F(RecorderConvert, ShortLinesArePassedOver) {
    edl.parseText("\n\nx\n" + eventLine(1, "00:01:00:00", "00:02:00:00") + "\n");
    edl.rawline = 0;
    edl.parsenextline();
    EXPECT_EQ(edl.rawline, 4);
    EXPECT_EQ(edl.lxedl[1], "REC 00:01:00:00 00:02:00:00 STOP");
}

TEST_F(RecorderConvert, PositionPastAShorterSourceIsTheEnd) {
    edl.onetitle = true;
    edl.parseText(manyEvents(8, false));
    edl.rawline = 0;
    for (int i = 0; i < 8; ++i)
        edl.parsenextline();
    EXPECT_EQ(edl.rawline, 8);
    edl.parseText(threeEvents());  // a load alone keeps the position
    edl.parsenextline();
    EXPECT_TRUE(view.shownSource("END OF SOURCE EDL"));
    EXPECT_EQ(view.waits, std::vector<int>{500});
    EXPECT_EQ(edl.titlemodestring, "STOP");
    EXPECT_EQ(view.sources.back(), threeEvents());
}

}  // namespace
}  // namespace vemo::core
