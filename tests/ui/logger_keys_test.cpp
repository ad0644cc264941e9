// The logger's keys, its double-click corrections, the marks of unsaved entries, the clip a
// review-all plays, and time fields that show every time code whole.
#include <QDialog>
#include <QTimer>

#include "support/qt/text_room.h"
#include "ui/field_fit.h"
#include "ui/key_map.h"
#include "ui/logger_fixture.h"
#include "ui/logger_layout.h"

namespace vemo::test {
namespace {

namespace lg = ui::logger;

bool unsaved(QLineEdit* edit) {
    return edit->property("unsaved").toBool();
}

TEST_F(LoggerTest, MMarksInThenOutEachPairARowDown) {
    const std::vector<std::string> times = {"00:00:01:00", "00:00:02:00", "00:00:03:00",
                                            "00:00:04:00", "00:00:05:00"};
    for (const std::string& tc : times) {
        vcr->fields().setTC(tc);
        key(Qt::Key_M);
    }
    EXPECT_EQ(table().SrcInArray[0], "00:00:01:00");
    EXPECT_EQ(table().SrcOutArray[0], "00:00:02:00");
    EXPECT_EQ(table().SrcInArray[1], "00:00:03:00");
    EXPECT_EQ(table().SrcOutArray[1], "00:00:04:00");
    EXPECT_EQ(text("in2"), "00:00:05:00");
    EXPECT_EQ(logger->offset(), 2);
    // The auxiliary controller's marks and M are one sequence; the scroll bar restarts it.
    vcr->fields().setTC("00:00:06:00");
    markOut();
    EXPECT_EQ(table().SrcOutArray[2], "00:00:06:00");
    scrollTo(10);
    vcr->fields().setTC("00:00:07:00");
    key(Qt::Key_M);
    EXPECT_EQ(table().SrcInArray[10], "00:00:07:00") << "an in point first";
}

TEST_F(LoggerTest, LoggerKeysSaveLoadReviewAndReachTheMainWindow) {
    chosenPath = recoveryDir.file("keys.edl").string();
    key(Qt::Key_S, Qt::ControlModifier);
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(prompts, (std::vector<std::string>{"Save Standard EDL", "Load Standard EDL"}));
    EXPECT_EQ(saves, (std::vector<bool>{true, false}));

    // I and Space are the main window's: its in point, its play.
    vcr->fields().setTC("00:00:09:00");
    port.clear();
    key(Qt::Key_I);
    EXPECT_EQ(vcr->fields().cue(), "00:00:09:00");
    key(Qt::Key_Space);
    EXPECT_EQ(port.commands(), std::vector<Bytes>{kPlay});

    // R reviews the clip in row 0, as the logger's own Review does.
    fillClips(3);
    scrollTo(2);
    port.clear();
    key(Qt::Key_R);
    EXPECT_EQ(vcr->fields().cue(), "00:03:00:00");
    QTRY_VERIFY(port.sent({0x24, 0x31, 0x00, 0x00, 0x03, 0x00, 0x58}));

    // Typed into row 0's name, the letters are a name.
    QLineEdit* name = field("name0");
    name->clear();
    QTest::keyClicks(name, "MIRO");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(table().ClipNameArray[2], "MIRO");
    EXPECT_EQ(logger->offset(), 0) << "M typed into a name marks nothing";
}

TEST_F(LoggerTest, TooltipsAndHelpNameTheLoggersKeys) {
    for (const ui::KeyBinding& b : ui::keyBindings()) {
        if (b.loggerControl.empty())
            continue;
        const std::string control =
            b.loggerControl == "setin*" ? "setout7" : std::string(b.loggerControl);
        const QString tip = child(control)->toolTip();
        EXPECT_TRUE(tip.contains(QString::fromUtf8(b.keyText.data(), b.keyText.size())))
            << control << ": " << tip.toStdString();
    }
    key(Qt::Key_F1);
    auto* help = logger->findChild<QDialog*>("keyHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    const QString listed = help->findChild<QLabel*>("keyHelpText")->text();
    for (const char* k : {"<b>M</b>", "<b>Ctrl+S</b>", "<b>Ctrl+O</b>", "<b>J</b>", "<b>F1</b>"})
        EXPECT_TRUE(listed.contains(QLatin1String(k))) << k;
}

TEST_F(LoggerTest, DoubleClickBringsAnEntryToRowZeroForCorrecting) {
    scrollTo(10);
    QTest::mouseDClick(field("out5"), Qt::LeftButton);
    EXPECT_EQ(logger->vsbval(), 15);
    EXPECT_EQ(child<QScrollBar>("vsb")->value(), 15);
    EXPECT_EQ(text("edit0"), "016");
    EXPECT_TRUE(field("out0")->hasFocus());
    EXPECT_EQ(field("out0")->selectedText(), field("out0")->text()) << "ready to be typed over";
    QTest::keyClicks(field("out0"), "00:00:30:00");
    QTest::keyClick(field("out0"), Qt::Key_Return);
    EXPECT_EQ(table().SrcOutArray[15], "00:00:30:00");
    // The edit number takes the name column.
    QTest::mouseDClick(field("edit3"), Qt::LeftButton);
    EXPECT_EQ(text("edit0"), "019");
    EXPECT_TRUE(field("name0")->hasFocus());

    // The grid ends at entry 100: the last entries come as near row 0 as it scrolls.
    scrollTo(70);
    QTest::mouseDClick(field("name19"), Qt::LeftButton);
    EXPECT_EQ(logger->vsbval(), 80);
    EXPECT_EQ(text("edit9"), "090");
    EXPECT_NE(status().find("Entry 90"), std::string::npos) << status();
}

TEST_F(LoggerTest, EntriesChangedSinceTheLastSaveStandOut) {
    for (int r = 0; r < lg::NumRows; ++r)
        EXPECT_FALSE(unsaved(field(lg::editName(r)))) << r;
    vcr->fields().setTC("00:00:04:00");
    press("setin3");
    key(Qt::Key_M);
    EXPECT_TRUE(unsaved(field("edit3")));
    EXPECT_TRUE(unsaved(field("edit0")));
    EXPECT_FALSE(unsaved(field("edit1")));
    EXPECT_NE(field("edit3")->palette().color(QPalette::Base),
              field("edit1")->palette().color(QPalette::Base));
    // The mark follows its entry when the grid scrolls.
    scrollTo(2);
    EXPECT_TRUE(unsaved(field("edit1")));
    EXPECT_FALSE(unsaved(field("edit0")));

    chosenPath = recoveryDir.file("saved.edl").string();
    key(Qt::Key_S, Qt::ControlModifier);
    for (int r = 0; r < lg::NumRows; ++r)
        EXPECT_FALSE(unsaved(field(lg::editName(r)))) << r;
    // A name typed back to what was saved is no change.
    QLineEdit* name = field("name0");
    name->clear();
    QTest::keyClicks(name, "Other");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_TRUE(unsaved(field("edit0")));
    name->clear();
    QTest::keyClicks(name, "Name03");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_FALSE(unsaved(field("edit0")));
}

TEST_F(LoggerTest, ReviewAllHighlightsAndFollowsTheClipItPlays) {
    constexpr int kClips = 24;  // past the twentieth row: the grid has to scroll
    fillClips(kClips);
    deckPastEveryClip();
    // What the window shows while the review runs, sampled from its own event loop.
    struct Seen {
        int entry;
        bool inView;
        bool rowLit;
        int litRows;
    };
    std::vector<Seen> seen;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, logger.data(), [&] {
        const int e = logger->reviewing();
        if (e < 0)
            return;
        const int r = e - logger->vsbval();
        const bool inView = r >= 0 && r < lg::NumRows;
        int lit = 0;
        for (int row = 0; row < lg::NumRows; ++row)
            lit += field(lg::inName(row))->property("reviewing").toBool() ? 1 : 0;
        seen.push_back(
            {e, inView, inView && field(lg::editName(r))->property("reviewing").toBool(), lit});
    });
    sampler.start(5);
    press("RevAllButton");
    sampler.stop();

    ASSERT_FALSE(seen.empty());
    int last = 0;
    for (const Seen& s : seen) {
        EXPECT_TRUE(s.inView) << s.entry;
        EXPECT_TRUE(s.rowLit) << s.entry;
        EXPECT_EQ(s.litRows, 1) << s.entry;
        EXPECT_GE(s.entry, last) << "in order";
        last = s.entry;
    }
    EXPECT_EQ(last, kClips - 1) << "the last clip was seen too";
    EXPECT_EQ(logger->vsbval(), 20) << "the first clip past the last row came into row 0";
    // Over: no row stays lit.
    EXPECT_EQ(logger->reviewing(), -1);
    for (int r = 0; r < lg::NumRows; ++r)
        EXPECT_FALSE(field(lg::editName(r))->property("reviewing").toBool()) << r;
}

TEST_F(LoggerTest, TimeFieldsShowEveryTimeCodeWhole) {
    for (int r = 0; r < lg::NumRows; ++r) {
        for (const std::string& name : {lg::inName(r), lg::outName(r)}) {
            QLineEdit* f = field(name);
            EXPECT_LE(widthOf(*f, ui::widestTimeText(f->font())), roomIn(*f)) << name;
            EXPECT_EQ(f->geometry().width(), lg::timecodewidth) << "the grid keeps its sizes";
            EXPECT_GE(f->font().pixelSize(), 11) << name;
        }
    }
}

}  // namespace
}  // namespace vemo::test
