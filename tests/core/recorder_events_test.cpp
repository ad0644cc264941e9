// Lists as editing systems write them, converted with and without the opt-in filters.
#include <gtest/gtest.h>

#include "core/edl/recorder_edl.h"
#include "recorder_test_view.h"
#include "support/edl_samples.h"

namespace vemo::core {
namespace {

using testing::commands;
using testing::eventLine;
using testing::RecordingView;
using vemo::test::cmxEvent;

std::string rec(const std::string& in, const std::string& out) {
    return "REC " + in + " " + out + " STOP";
}

class RecorderEvents : public ::testing::Test {
  protected:
    void SetUp() override { testing::defaultOptions(edl); }
    // Converts the text; the commands between INI and FNL.
    std::vector<std::string> convert(const std::string& text) {
        edl.parseText(text);
        edl.autoedl();
        std::vector<std::string> list = commands(edl);
        EXPECT_EQ(list.front(), "INI");
        EXPECT_EQ(list.back(), "FNL");
        return std::vector<std::string>(list.begin() + 1, list.end() - 1);
    }

    RecordingView view;
    RecorderEDL edl{&view};
};

TEST_F(RecorderEvents, EveryDialectGivesOneRecordingPerEvent) {
    for (const auto& sample : vemo::test::edlSamples()) {
        edl.rate = sample.rate;
        std::vector<std::string> expected;
        for (const auto& clip : sample.clips)
            expected.push_back(rec(clip.in, clip.out));
        EXPECT_EQ(convert(sample.text), expected) << sample.dialect;
        EXPECT_EQ(edl.leftOutReport(), std::vector<std::string>{}) << sample.dialect;
    }
}

TEST_F(RecorderEvents, FiltersTapeChangesAndLeftOutEvents) {
    const std::string transitions = vemo::test::edlSamples()[2].text;
    const std::string reels = "TITLE: reels\n" +
                              cmxEvent("001", "A", "V", "C", "00:01:00:00", "00:02:00:00") + "\n" +
                              cmxEvent("002", "A", "V", "C", "00:03:00:00", "00:04:00:00") + "\n" +
                              cmxEvent("003", "B", "V", "C", "00:00:10:00", "00:00:20:00") + "\n";
    // Options: a skip audio-only, z skip zero-length, r reel changes, c AutoCH, d 29.97DF.
    const struct {
        std::string text;
        std::string options;
        std::vector<std::string> commands, report;
    } cases[] = {
        {transitions,
         "azr",
         {rec("00:00:05:00", "00:00:07:00"), "WAI", rec("00:00:09:00", "00:00:10:00")},
         {}},
        // With AutoCH each tape's one recording runs over its own events only.
        {reels,
         "rc",
         {rec("00:01:00:00", "00:04:00:00"), "CHP 00:03:00:00", "WAI",
          rec("00:00:10:00", "00:00:20:00")},
         {}},
        {"TITLE: bad\n" + eventLine(1, "99:99:99:99", "00:00:02:00") + "\n" +
             eventLine(2, "00:00:05:00", "00:00:04:00") + "\n" +
             eventLine(3, std::string("00:00:0\0:00", 11), "00:00:09:00") + "\n" +
             eventLine(4, "00:00:10:00", "00:00:11:00") + "\n" +
             eventLine(5, "00:01:00;00", "00:01:10;00") + "\n",
         "d",
         {"REC 00:00:10:00 00:00:11:00 STOP"},
         {"line 2: source in 99:99:99:99 is not a time code at 29.97DF fps, event left out",
          "line 3: source out 00:00:04:00 is before source in 00:00:05:00, event left out",
          "line 4: source in 00:00:0\\x00:00 is not a time code at 29.97DF fps, event left out",
          "line 6: source in 00:01:00;00 is not a time code at 29.97DF fps, event left out"}},
    };
    for (const auto& c : cases) {
        auto on = [&c](char option) { return c.options.find(option) != std::string::npos; };
        edl.skipAudioOnly = on('a');
        edl.skipZeroLength = on('z');
        edl.reelChanges = on('r');
        edl.autochapter = on('c');
        edl.rate = on('d') ? FrameRate::Df2997 : FrameRate::Fps30;
        EXPECT_EQ(convert(c.text), c.commands) << c.text;
        EXPECT_EQ(edl.leftOutReport(), c.report);
    }
}

// A list longer than the recorder takes: the first events as before, and a count of the rest;
// a tape change that finds no room leaves its event out with it.
TEST_F(RecorderEvents, FullListCountsWhatWasLeftOut) {
    EXPECT_EQ(convert(testing::manyEvents(500, false)).size(), 96u);
    EXPECT_EQ(edl.lxedl[96], rec(testing::timecode(95 * 600), testing::timecode(95 * 600 + 300)));
    EXPECT_EQ(edl.leftOutReport(),
              std::vector<std::string>{"LX-1 EDL IS FULL: 404 source events left out"});

    std::string reels =
        testing::manyEvents(95, false) + eventLine(96, "00:00:01:00", "00:00:02:00");
    reels.replace(reels.rfind("AX"), 2, "BX");
    edl.reelChanges = true;
    EXPECT_EQ(convert(reels).size(), 95u);
    EXPECT_EQ(edl.omissions.notFitting, 1);
}

}  // namespace
}  // namespace vemo::core
