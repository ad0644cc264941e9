#include <gtest/gtest.h>

#include "core/edl/recorder_edl.h"
#include "recorder_test_view.h"

namespace vemo::core {
namespace {

using testing::eventLine;
using testing::RecordingView;
using testing::threeEvents;

class RecorderEdit : public ::testing::Test {
  protected:
    void SetUp() override { testing::defaultOptions(edl); }

    void load(const std::string& text) {
        edl.parseText(text);
        edl.rawline = 0;
        edl.autoedl();
    }
    // Process Line from the start, count times.
    void step(const std::string& text, int count) {
        edl.parseText(text);
        edl.rawline = 0;
        for (int i = 0; i < count; ++i)
            edl.parsenextline();
    }
    std::vector<std::string> used() const {
        std::vector<std::string> out;
        for (const auto& c : edl.lxedl)
            if (c.size() > 1)
                out.push_back(c);
        return out;
    }

    RecordingView view;
    RecorderEDL edl{&view};
};

const std::string Rec1 = "REC 00:01:00:00 00:02:00:00 STOP";
const std::string Rec2 = "REC 00:03:00:00 00:04:00:00 STOP";
const std::string Rec3 = "REC 00:05:00:00 00:06:00:00 STOP";
const std::string oneEvent = eventLine(1, "00:01:00:00", "00:02:00:00") + "\n";

TEST_F(RecorderEdit, DeleteRemovesTheLastEventButNeverIni) {
    load(oneEvent);
    ASSERT_EQ(used(), (std::vector<std::string>{"INI", Rec1, "FNL"}));
    edl.removeoutputline();
    EXPECT_EQ(edl.lxedl[0], "INI");
    EXPECT_EQ(edl.lxedl[1], "FNL");
    EXPECT_EQ(edl.lxedl[2], " ");
    EXPECT_EQ(edl.lxline, 1);
    edl.removeoutputline();
    EXPECT_EQ(used(), (std::vector<std::string>{"INI", "FNL"}));
    EXPECT_EQ(edl.lxline, 1);

    edl.initialize = false;
    edl.finalize = false;
    load(oneEvent);
    edl.removeoutputline();
    edl.removeoutputline();
    EXPECT_TRUE(used().empty());
    EXPECT_EQ(edl.lxline, 0);
}

TEST_F(RecorderEdit, DeleteTakesTheModeOfTheRecordingLeft) {
    edl.onetitle = true;
    load(threeEvents());
    edl.changepausetostop();
    edl.removeoutputline();
    EXPECT_EQ(edl.titlemodestring, "PAUSE");
    // Saving stops the recording that is left, with its own times, not the deleted one's.
    edl.saveedl("", "");
    EXPECT_EQ(edl.lxedl[2], Rec2);
    EXPECT_EQ(used(), (std::vector<std::string>{"INI", Rec1.substr(0, 28) + "PAUSE", Rec2, "FNL"}));
}

TEST_F(RecorderEdit, NewTapeNeedsARecordingBeforeIt) {
    edl.newlxedl();
    edl.addwait();
    EXPECT_EQ(used(), (std::vector<std::string>{"INI", "FNL"}));

    load(oneEvent);
    edl.addwait();
    EXPECT_EQ(used(), (std::vector<std::string>{"INI", Rec1, "WAI", "FNL"}));
    EXPECT_TRUE(edl.wait);
    EXPECT_EQ(edl.lxline, 3);
    edl.addwait();  // never two in a row
    EXPECT_EQ(used(), (std::vector<std::string>{"INI", Rec1, "WAI", "FNL"}));

    // Saving right after New Tape drops the WAI.
    edl.saveedl("", "");
    EXPECT_EQ(used(), (std::vector<std::string>{"INI", Rec1, "FNL"}));
}

TEST_F(RecorderEdit, NewTapeDeletedByHandIsNotDeletedAgainOnSave) {
    load(threeEvents());
    edl.addwait();
    edl.removeoutputline();
    EXPECT_FALSE(edl.wait);
    edl.saveedl("", "");
    EXPECT_EQ(used(), (std::vector<std::string>{"INI", Rec1, Rec2, Rec3, "FNL"}));
}

TEST_F(RecorderEdit, EventsAfterNewTapeFollowTheWai) {
    step(threeEvents(), 3);
    edl.addwait();
    edl.parsenextline();
    EXPECT_EQ(used(), (std::vector<std::string>{"INI", Rec1, "WAI", Rec2, "FNL"}));
    EXPECT_FALSE(edl.wait);
    // A recording right after a WAI never becomes a chapter mark.
    edl.setchapter();
    EXPECT_EQ(edl.lxedl[3], Rec2);
}

TEST_F(RecorderEdit, NewTapeOnAFullListNeedsRoomForFnl) {
    load(testing::manyEvents(100, false));
    ASSERT_EQ(edl.lxline, 97);
    edl.addwait();
    EXPECT_EQ(edl.lxedl[97], "WAI");
    EXPECT_EQ(edl.lxedl[98], "FNL");
    edl.removeoutputline();
    edl.removeoutputline();
    EXPECT_EQ(edl.lxedl[96], "FNL");

    edl.initialize = false;
    edl.finalize = false;
    load(testing::manyEvents(100, false));
    ASSERT_EQ(edl.lxline, 99);
    edl.addwait();  // no entry left
    EXPECT_EQ(edl.lxline, 99);
}

TEST_F(RecorderEdit, ChapterMarkOnlyAfterAnotherRecording) {
    load(oneEvent);
    edl.setchapter();
    EXPECT_EQ(edl.lxedl[1], Rec1);

    load(threeEvents());
    edl.setchapter();
    EXPECT_EQ(edl.lxedl[3], "CHP 00:05:00:00");
    EXPECT_EQ(edl.lxfile, "PIONEER-DVDRec-EDL 001\n000 INI\n000 " + Rec1 + "\n000 " + Rec2 +
                              "\n001 CHP 00:05:00:00\n001 FNL\n");
    edl.setchapter();  // the last command is a chapter mark now
    EXPECT_EQ(edl.lxedl[3], "CHP 00:05:00:00");

    edl.initialize = false;
    load(oneEvent);
    edl.setchapter();
    EXPECT_EQ(edl.lxedl[0], Rec1);
}

TEST_F(RecorderEdit, StopAndPauseRewriteTheLastRecording) {
    load(threeEvents());
    edl.changestoptopause();
    EXPECT_EQ(edl.lxedl[3], Rec3.substr(0, 28) + "PAUSE");
    EXPECT_EQ(edl.titlemodestring, "PAUSE");
    edl.changepausetostop();
    EXPECT_EQ(edl.lxedl[3], Rec3);

    // A chapter mark made a recording again takes the times of the event processed last.
    edl.setchapter();
    edl.changepausetostop();
    EXPECT_EQ(edl.lxedl[3], Rec3);

    // With only INI there is nothing to rewrite.
    edl.newlxedl();
    edl.changestoptopause();
    EXPECT_EQ(used(), (std::vector<std::string>{"INI", "FNL"}));
    EXPECT_EQ(edl.titlemodestring, "PAUSE");
}

TEST_F(RecorderEdit, SavingInPauseModeEndsWithAStop) {
    edl.onetitle = true;
    step(threeEvents(), 5);
    EXPECT_EQ(edl.lxedl[3], Rec3.substr(0, 28) + "PAUSE");
    edl.saveedl("", "");
    EXPECT_EQ(edl.lxedl[3], Rec3);
    EXPECT_EQ(edl.lxedl[2], Rec2.substr(0, 28) + "PAUSE");
    EXPECT_EQ(edl.titlemodestring, "STOP");
}

TEST_F(RecorderEdit, AutoChapterWithAllPsKeepsTheLastChapterOnSave) {
    edl.autochapter = true;
    edl.onetitle = true;
    load(threeEvents());
    edl.saveedl("", "");
    EXPECT_EQ(used(), (std::vector<std::string>{"INI", "REC 00:01:00:00 00:06:00:00 STOP",
                                                "CHP 00:03:00:00", "CHP 00:05:00:00", "FNL"}));
}

TEST_F(RecorderEdit, StepBackProcessesTheLineTwoBeforeAgain) {
    step(threeEvents(), 5);
    ASSERT_EQ(edl.rawline, 5);
    edl.backupsourceedl();
    EXPECT_EQ(edl.rawline, 3);
    EXPECT_EQ(used(), (std::vector<std::string>{"INI", Rec1, Rec2, Rec3, Rec1, "FNL"}));
}

TEST_F(RecorderEdit, StepBackFromTheFirstLinesStartsAgain) {
    for (int position : {0, 1, 2, 3}) {
        step(threeEvents(), 4);  // two events in the list
        edl.rawline = position;
        edl.backupsourceedl();
        EXPECT_EQ(edl.rawline, 1) << position;
        EXPECT_EQ(used(), (std::vector<std::string>{"INI", "FNL"})) << position;
        // Process Line carries on from there.
        edl.parsenextline();
        edl.parsenextline();
        EXPECT_EQ(used(), (std::vector<std::string>{"INI", Rec1, "FNL"})) << position;
    }
}

}  // namespace
}  // namespace vemo::core
