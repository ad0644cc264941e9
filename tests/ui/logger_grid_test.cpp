// The logger window's layout, its grid, the set-in/set-out marks and the scroll bar.
#include <QThread>
#include <thread>

#include "support/qt/text_room.h"
#include "ui/logger_fixture.h"
#include "ui/logger_layout.h"

namespace vemo::test {
namespace {

namespace lg = ui::logger;
using ui::LoggerGUI;

TEST_F(LoggerTest, EveryControlSitsWhereTheTableSays) {
    for (const lg::Placement& p : lg::loggerLayout()) {
        QWidget* w = child(p.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), QRect(p.x, p.y, p.w, p.h)) << p.name;
        EXPECT_TRUE(w->isVisible()) << p.name;
    }
    EXPECT_EQ(lg::loggerLayout().size(), 5u + 20u * 7u + 1u);
    // The table's figures as the window's sizes make them.
    EXPECT_EQ(*lg::loggerPlacement("LoadButton"), (lg::Placement{"LoadButton", 5, 5, 94, 21}));
    EXPECT_EQ(lg::loggerPlacement("ReviewButton")->x, 117);
    EXPECT_EQ(lg::loggerPlacement("RevAllButton")->x, 188);
    EXPECT_EQ(lg::loggerPlacement("RevAllButton")->w, 64);
    EXPECT_EQ(lg::loggerPlacement("SaveButton")->x, 287);
    EXPECT_EQ(child("edit0")->geometry(), QRect(5, 28, 37, 21));
    EXPECT_EQ(child("name0")->geometry(), QRect(48, 28, 94, 21));
    EXPECT_EQ(child("setin0")->geometry(), QRect(157, 28, 19, 21));
    EXPECT_EQ(child("in0")->geometry(), QRect(178, 28, 94, 21));
    EXPECT_EQ(child("setout0")->geometry(), QRect(287, 28, 19, 21));
    EXPECT_EQ(child("out0")->geometry(), QRect(308, 28, 94, 21));
    EXPECT_EQ(child("cue19")->geometry(), QRect(407, 5 + 20 * 23, 12, 21));
    EXPECT_EQ(child("vsb")->geometry(), QRect(429, 20, 20, 470));
    // Every time field shows any time code whole, in a font still readable.
    for (QLineEdit* f : {field("in0"), field("out19")}) {
        EXPECT_LE(widthOf(*f, widestTime(*f)), roomIn(*f));
        EXPECT_GE(f->font().pixelSize(), 11);
    }

    EXPECT_EQ(logger->size(), QSize(470, 525));
    EXPECT_EQ(logger->frameGeometry().topLeft(), QPoint(350, 0));
    EXPECT_EQ(logger->windowTitle(), QString("Vemo Logger"));
    EXPECT_EQ(logger->font().family(), QString("Helvetica"));
    EXPECT_EQ(logger->font().pixelSize(), 15);
    EXPECT_EQ(logger->palette().color(QPalette::Window), QColor(80, 150, 245));
    EXPECT_EQ(child<QPushButton>("LoadButton")->text(), QString("Load EDL"));
    EXPECT_EQ(child<QPushButton>("ReviewButton")->text(), QString("Review"));
    EXPECT_EQ(child<QPushButton>("RevAllButton")->text(), QString("RevALL"));
    EXPECT_EQ(child<QPushButton>("SaveButton")->text(), QString("Save EDL"));
    EXPECT_EQ(child<QPushButton>("ExportButton")->text(), QString("Export\u2026"));
    for (const char* b : {"SaveButton", "ExportButton"}) {
        auto* button = child<QPushButton>(b);
        EXPECT_LE(widthOf(*button, button->text()), roomOn(*button)) << b;
        EXPECT_FALSE(button->geometry().intersects(child("vsb")->geometry())) << b;
    }
    EXPECT_EQ(child<QPushButton>("setin7")->text(), QString(">"));
    EXPECT_EQ(child<QPushButton>("setout7")->text(), QString("<"));
    EXPECT_EQ(child<QPushButton>("cue7")->text(), QString("*"));
    auto* vsb = child<QScrollBar>("vsb");
    EXPECT_EQ(vsb->orientation(), Qt::Vertical);
    EXPECT_EQ(vsb->minimum(), 0);
    EXPECT_EQ(vsb->maximum(), 80);
    EXPECT_EQ(vsb->pageStep(), 20);
    EXPECT_EQ(vsb->value(), 0);
}

TEST_F(LoggerTest, FreshGridShowsTheFirstEntriesAndOnlyRowZeroTakesTyping) {
    EXPECT_EQ(text("edit0"), "001");
    EXPECT_EQ(text("name0"), "Name01");
    EXPECT_EQ(text("in0"), "00:00:00:00");
    EXPECT_EQ(text("out0"), "00:00:00:00");
    EXPECT_EQ(text("edit19"), "020");
    EXPECT_EQ(text("name19"), "Name20");
    EXPECT_TRUE(field("edit0")->isReadOnly());
    EXPECT_FALSE(field("name0")->isReadOnly());
    EXPECT_FALSE(field("in0")->isReadOnly());
    EXPECT_FALSE(field("out0")->isReadOnly());
    for (int r = 1; r < 20; ++r) {
        for (auto name : {lg::editName(r), lg::nameName(r), lg::inName(r), lg::outName(r)})
            EXPECT_TRUE(field(name)->isReadOnly()) << name;
    }
}

TEST_F(LoggerTest, RowButtonsWorkOnTheEntryShownInTheirRow) {
    scrollTo(10);
    vcr->fields().setTC("00:01:02:03");
    press("setin3");
    EXPECT_EQ(table().SrcInArray[13], "00:01:02:03");
    EXPECT_EQ(text("edit3"), "014");
    EXPECT_EQ(text("in3"), "00:01:02:03");
    vcr->fields().setTC("00:01:09:00");
    press("setout3");
    EXPECT_EQ(table().SrcOutArray[13], "00:01:09:00");
    EXPECT_EQ(text("out3"), "00:01:09:00");
    EXPECT_EQ(table().SrcInArray[3], "00:00:00:00") << "the row, not the entry number";

    // "*" hands the clip to the main window's in and out fields; the deck is not moved.
    port.clear();
    press("cue3");
    EXPECT_EQ(vcr->fields().cue(), "00:01:02:03");
    EXPECT_EQ(vcr->fields().end(), "00:01:09:00");
    EXPECT_TRUE(port.frames().empty());
}

TEST_F(LoggerTest, ScrollBarRedrawsTheGridAndRestartsTheMarks) {
    markIn();
    markOut();
    EXPECT_EQ(logger->offset(), 1);
    scrollTo(80);
    EXPECT_EQ(logger->vsbval(), 80);
    EXPECT_EQ(logger->offset(), 0);
    EXPECT_EQ(text("edit0"), "081");
    EXPECT_EQ(text("name0"), "Name81");
    EXPECT_EQ(text("edit19"), "100");
    EXPECT_EQ(text("name19"), "Name00");
    vcr->fields().setTC("00:00:05:00");
    markIn();
    EXPECT_EQ(table().SrcInArray[80], "00:00:05:00");
    EXPECT_EQ(text("in0"), "00:00:05:00");
}

TEST_F(LoggerTest, MarksReachEntryHundredAndStopThere) {
    scrollTo(80);
    for (int r = 0; r < 19; ++r) {
        markIn();
        markOut();
    }
    EXPECT_EQ(logger->offset(), 19);
    vcr->fields().setTC("00:10:00:00");
    markIn();
    EXPECT_EQ(table().SrcInArray[99], "00:10:00:00");
    EXPECT_EQ(text("in19"), "00:10:00:00");
    EXPECT_EQ(text("edit19"), "100");
    vcr->fields().setTC("00:10:05:00");
    markOut();
    EXPECT_EQ(table().SrcOutArray[99], "00:10:05:00");
    EXPECT_EQ(logger->offset(), 20) << "the grid cannot move further";
    EXPECT_EQ(logger->vsbval(), 80);

    // Past entry 100 a mark changes nothing.
    vcr->fields().setTC("00:20:00:00");
    markIn();
    markOut();
    EXPECT_EQ(table().SrcInArray[99], "00:10:00:00");
    EXPECT_EQ(table().SrcOutArray[99], "00:10:05:00");
    EXPECT_EQ(text("in19"), "00:10:00:00");
    EXPECT_EQ(logger->offset(), 20);
}

TEST_F(LoggerTest, MarksPastTheLastRowScrollTheGridOneEntry) {
    for (int r = 0; r < 20; ++r) {
        vcr->fields().setTC("00:00:" + std::to_string(10 + r) + ":00");
        markIn();
        markOut();
    }
    EXPECT_EQ(table().SrcOutArray[19], "00:00:29:00");
    EXPECT_EQ(logger->vsbval(), 1);
    EXPECT_EQ(child<QScrollBar>("vsb")->value(), 1);
    EXPECT_EQ(logger->offset(), 19);
    EXPECT_EQ(text("edit0"), "002");
    EXPECT_EQ(text("edit18"), "020");
    EXPECT_EQ(text("out18"), "00:00:29:00");

    vcr->fields().setTC("00:00:40:00");
    markIn();
    EXPECT_EQ(table().SrcInArray[20], "00:00:40:00") << "entry 21 follows entry 20";
    EXPECT_EQ(text("edit19"), "021");
    EXPECT_EQ(text("in19"), "00:00:40:00");
    markOut();
    EXPECT_EQ(logger->vsbval(), 2);
    EXPECT_EQ(text("edit19"), "022");
}

TEST_F(LoggerTest, RowZeroStoresWhatIsTypedOnEnterOnly) {
    scrollTo(5);
    QLineEdit* name = field("name0");
    name->clear();
    QTest::keyClicks(name, "Tape9");
    field("in0")->setFocus();
    EXPECT_EQ(table().ClipNameArray[5], "Name06") << "leaving the field stores nothing";
    scrollTo(6);
    scrollTo(5);
    EXPECT_EQ(text("name0"), "Name06");

    name->clear();
    QTest::keyClicks(name, "Tape9");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(table().ClipNameArray[5], "Tape9");
    for (auto [which, value] : {std::pair{"in0", "00:02:00:00"}, std::pair{"out0", "0x:bad"}}) {
        QLineEdit* f = field(which);
        f->clear();
        QTest::keyClicks(f, value);
        QTest::keyClick(f, Qt::Key_Enter);
    }
    EXPECT_EQ(table().SrcInArray[5], "00:02:00:00");
    EXPECT_EQ(table().SrcOutArray[5], "0x:bad") << "stored unchecked";
    scrollTo(0);
    scrollTo(5);
    EXPECT_EQ(text("name0"), "Tape9");
}

TEST_F(LoggerTest, MarksFromTheControllersThreadLandOnTheWindowThread) {
    deck::LoggerMarks* marks = vcr->loggerMarks();
    ASSERT_NE(marks, nullptr) << "the opened window takes the marks";
    std::vector<bool> onWindowThread;
    QObject::connect(field("in0"), &QLineEdit::textChanged, logger.data(), [&] {
        onWindowThread.push_back(QThread::currentThread() == logger->thread());
    });
    vcr->fields().setTC("01:00:00:10");
    std::thread aux([&] {
        marks->setin();
        vcr->fields().setTC("01:00:04:00");
        marks->setout();
    });
    aux.join();
    QTRY_COMPARE(logger->offset(), 1);
    // Each mark keeps the time code shown when it was made.
    EXPECT_EQ(table().SrcInArray[0], "01:00:00:10");
    EXPECT_EQ(table().SrcOutArray[0], "01:00:04:00");
    EXPECT_EQ(onWindowThread, std::vector<bool>{true});
}

TEST_F(LoggerTest, EachOpeningStartsAFreshWindowAndClosingGivesTheButtonBack) {
    auto* blogger = gui->findChild<QPushButton*>("blogger");
    EXPECT_FALSE(blogger->isEnabled());
    scrollTo(30);
    markIn();
    markOut();
    vcr->fields().setTC("00:00:01:00");
    press("setin0");
    answer = LoggerGUI::SaveAnswer::Discard;
    logger->close();
    QTRY_VERIFY(logger.isNull());
    EXPECT_EQ(vcr->loggerMarks(), nullptr);
    EXPECT_TRUE(blogger->isEnabled());

    open();
    EXPECT_EQ(logger->vsbval(), 0);
    EXPECT_EQ(logger->offset(), 0);
    EXPECT_EQ(child<QScrollBar>("vsb")->value(), 0);
    EXPECT_EQ(table().SrcInArray[30], "00:00:00:00");
    EXPECT_EQ(text("edit0"), "001");
    EXPECT_NE(vcr->loggerMarks(), nullptr);
}

}  // namespace
}  // namespace vemo::test
