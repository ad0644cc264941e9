// The logger's keys, its double-click corrections, the marks of unsaved entries, the clip a
// review-all plays.
#include <QTimer>

#include "ui/logger_fixture.h"
#include "ui/logger_layout.h"

namespace vemo::test {
namespace {

namespace lg = ui::logger;

bool flagged(QLineEdit* field, const char* look) {
    return field->property(look).toBool();
}

TEST_F(LoggerTest, MMarksInThenOutEachPairARowDownWithTheControllersMarks) {
    for (const char* tc : {"00:00:01:00", "00:00:02:00", "00:00:03:00"}) {
        vcr->fields().setTC(tc);
        key(Qt::Key_M);
    }
    vcr->fields().setTC("00:00:04:00");
    markOut();  // the auxiliary controller's marks and M are one sequence
    EXPECT_EQ(table().SrcInArray[0], "00:00:01:00");
    EXPECT_EQ(table().SrcOutArray[0], "00:00:02:00");
    EXPECT_EQ(text("in1"), "00:00:03:00");
    EXPECT_EQ(text("out1"), "00:00:04:00");
    scrollTo(10);  // the scroll bar starts it again, with an in point
    key(Qt::Key_M);
    EXPECT_EQ(table().SrcInArray[10], "00:00:04:00");
}

TEST_F(LoggerTest, LoggerKeysSaveLoadReviewAndReachTheMainWindow) {
    chosenPath = recoveryDir.file("keys.edl").string();
    key(Qt::Key_S, Qt::ControlModifier);
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(prompts, (std::vector<std::string>{"Save Standard EDL", "Load Standard EDL"}));
    EXPECT_TRUE(child("SaveButton")->toolTip().contains("Ctrl+S"));
    EXPECT_TRUE(child("setout7")->toolTip().contains("M: "));
    // I and Space are the main window's: its in point, its play.
    vcr->fields().setTC("00:00:09:00");
    port.clear();
    key(Qt::Key_I);
    key(Qt::Key_Space);
    EXPECT_EQ(vcr->fields().cue(), "00:00:09:00");
    EXPECT_EQ(port.commands(), std::vector<Bytes>{kPlay});
    // R reviews the clip in row 0, as the logger's own Review does.
    fillClips(3);
    scrollTo(2);
    key(Qt::Key_R);
    EXPECT_EQ(vcr->fields().cue(), "00:03:00:00");
    QTRY_VERIFY(port.sent({0x24, 0x31, 0x00, 0x00, 0x03, 0x00, 0x58}));
}

TEST_F(LoggerTest, DoubleClickBringsAnEntryToRowZeroForCorrecting) {
    scrollTo(10);
    QTest::mouseDClick(field("out5"), Qt::LeftButton);
    EXPECT_EQ(child<QScrollBar>("vsb")->value(), 15);
    EXPECT_EQ(text("edit0"), "016");
    EXPECT_TRUE(field("out0")->hasFocus());
    QTest::keyClicks(field("out0"), "00:00:30:00");  // typed over the selected old time
    QTest::keyClick(field("out0"), Qt::Key_Return);
    EXPECT_EQ(table().SrcOutArray[15], "00:00:30:00");
    QTest::mouseDClick(field("edit3"), Qt::LeftButton);
    EXPECT_EQ(text("edit0"), "019");
    EXPECT_TRUE(field("name0")->hasFocus()) << "the edit number takes the name";
    // The grid ends at entry 100: the last entries come as near row 0 as it scrolls.
    scrollTo(70);
    QTest::mouseDClick(field("name19"), Qt::LeftButton);
    EXPECT_EQ(text("edit9"), "090");
    EXPECT_NE(status().find("Entry 90"), std::string::npos) << status();
}

TEST_F(LoggerTest, EntriesChangedSinceTheLastSaveStandOut) {
    vcr->fields().setTC("00:00:04:00");
    press("setin3");
    EXPECT_TRUE(flagged(field("edit3"), "unsaved"));
    EXPECT_FALSE(flagged(field("edit1"), "unsaved"));
    EXPECT_NE(field("edit3")->palette().color(QPalette::Base),
              field("edit1")->palette().color(QPalette::Base));
    scrollTo(2);
    EXPECT_TRUE(flagged(field("edit1"), "unsaved")) << "the mark follows its entry";
    chosenPath = recoveryDir.file("saved.edl").string();
    key(Qt::Key_S, Qt::ControlModifier);
    for (int r = 0; r < lg::NumRows; ++r)
        EXPECT_FALSE(flagged(field(lg::editName(r)), "unsaved")) << r;
}

TEST_F(LoggerTest, ReviewAllHighlightsAndFollowsTheClipItPlays) {
    constexpr int kClips = 24;  // past the twentieth row: the grid has to scroll
    fillClips(kClips);
    deckPastEveryClip();
    // Sampled from the window's own event loop while the review runs: the entry played,
    // whether its row is in view and lit, and how many rows are lit.
    std::vector<std::tuple<int, bool, int>> seen;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, logger.data(), [&] {
        const int e = logger->reviewing();
        const int r = e - logger->vsbval();
        if (e < 0)
            return;
        int lit = 0;
        for (int row = 0; row < lg::NumRows; ++row)
            lit += flagged(field(lg::inName(row)), "reviewing") ? 1 : 0;
        seen.emplace_back(
            e, r >= 0 && r < lg::NumRows && flagged(field(lg::editName(r)), "reviewing"), lit);
    });
    sampler.start(5);
    press("RevAllButton");
    sampler.stop();
    ASSERT_FALSE(seen.empty());
    int last = 0;
    for (const auto& [entry, rowLit, litRows] : seen) {
        EXPECT_TRUE(rowLit) << entry;
        EXPECT_EQ(litRows, 1) << entry;
        EXPECT_GE(entry, last) << "in order";
        last = entry;
    }
    EXPECT_EQ(last, kClips - 1);
    EXPECT_EQ(logger->vsbval(), 20) << "the first clip past the last row came into row 0";
    EXPECT_EQ(logger->reviewing(), -1);
    EXPECT_FALSE(flagged(field("edit3"), "reviewing")) << "no row stays lit";
}

}  // namespace
}  // namespace vemo::test
