// The EDL maker window: what it shows on opening, its layout, its buttons and its options.
#include <QFontInfo>
#include <QLabel>
#include <QPalette>
#include <tuple>

#include "ui/edl_controls.h"
#include "ui/edl_viewer_fixture.h"

namespace vemo::test {
namespace {

using ::testing::ElementsAre;

TEST_F(EdlViewerTest, OpensWithTheSettingsOptions) {
    ui::EDLViewer* w = open();
    EXPECT_THAT(output(w), ElementsAre(kHeader, "000 INI", "000 FNL"));
    EXPECT_EQ(source(w), "");
    EXPECT_EQ(w->windowTitle().toStdString(), "  Vemo EDLMaker");
    EXPECT_TRUE(box(w, "useini")->isChecked());
    EXPECT_TRUE(box(w, "usefnl")->isChecked());
    EXPECT_FALSE(box(w, "recmode")->isChecked());
    EXPECT_FALSE(box(w, "autoch")->isChecked());

    settings.initialize = false;
    settings.finalize = false;
    settings.onetitle = true;
    ui::EDLViewer* bare = open();
    EXPECT_THAT(output(bare), ElementsAre(kHeader));
    EXPECT_FALSE(box(bare, "useini")->isChecked());
    EXPECT_FALSE(box(bare, "usefnl")->isChecked());
    EXPECT_TRUE(box(bare, "recmode")->isChecked());
    // The end of the list is selected, so it is in view.
    QPlainTextEdit* out = child<QPlainTextEdit>(bare, "outarea");
    EXPECT_EQ(out->textCursor().selectionEnd(), out->document()->characterCount() - 1);
    EXPECT_TRUE(out->textCursor().hasSelection());
}

TEST_F(EdlViewerTest, LayoutColoursAndFonts) {
    ui::EDLViewer* w = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    auto* src = child<QPlainTextEdit>(w, "textarea");
    auto* out = child<QPlainTextEdit>(w, "outarea");
    EXPECT_TRUE(src->isReadOnly());
    EXPECT_FALSE(out->isReadOnly());
    EXPECT_EQ(src->palette().color(QPalette::Base), QColor(230, 230, 190));
    EXPECT_EQ(out->palette().color(QPalette::Base), QColor(200, 220, 220));
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(90, 90, 240));
    EXPECT_EQ(src->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(src->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(QFontInfo(src->font()).fixedPitch());
    // 80 and 38 columns of the same font.
    const int advance = QFontMetrics(src->font()).horizontalAdvance(QLatin1Char('M'));
    EXPECT_GE(src->width(), 80 * advance);
    EXPECT_LT(out->width(), src->width());
    EXPECT_GE(out->width(), 38 * advance);
    EXPECT_EQ(src->height(), out->height());

    // Each area is named by a label above it.
    for (auto [name, area, text] : {std::tuple{"sourceLabel", src, "Source EDL"},
                                    std::tuple{"outputLabel", out, "Recorder list"}}) {
        auto* label = child<QLabel>(w, name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->text(), QString(text));
        EXPECT_EQ(label->buddy(), area);
        EXPECT_LE(label->geometry().bottom(), area->y());
        EXPECT_EQ(area->accessibleName(), QString(text));
    }

    // Source left, output right; each button row under its area, the boxes after the second.
    auto* panel1 = child<QWidget>(w, "panel1");
    auto* panel2 = child<QWidget>(w, "panel2");
    auto* panel3 = child<QWidget>(w, "panel3");
    EXPECT_EQ(src->y(), out->y());
    EXPECT_LT(src->x(), out->x());
    EXPECT_GE(panel1->y(), src->geometry().bottom());
    EXPECT_LE(panel1->x(), src->x());
    EXPECT_GE(panel2->x(), out->x());
    EXPECT_EQ(panel1->y(), panel2->y());
    EXPECT_GE(panel3->x(), panel2->geometry().right());
    EXPECT_GE(panel3->y(), out->geometry().bottom());
    int lastRight[2] = {-1, -1};
    for (std::size_t i = 0; i < ui::kEdlButtons.size(); ++i) {
        const std::string name(ui::kEdlButtons[i].name);
        auto* b = child<QPushButton>(w, name.c_str());
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->parentWidget(), i < 5 ? panel1 : panel2) << name;
        EXPECT_EQ(b->text().toStdString(), ui::kEdlButtons[i].label);
        EXPECT_TRUE(b->font().bold());
        EXPECT_GT(b->x(), lastRight[i / 5]) << name;  // left to right
        lastRight[i / 5] = b->geometry().right();
    }
    // Flow aligned right: the last button of a row ends at its panel's right edge.
    EXPECT_GE(lastRight[0], panel1->width() - 10);
    int lastY = -1;
    for (const auto& entry : ui::kEdlOptions) {
        QCheckBox* b = box(w, std::string(entry.name).c_str());
        EXPECT_EQ(b->text().toStdString(), entry.label);
        EXPECT_GT(b->y(), lastY);
        lastY = b->y();
    }
}

TEST_F(EdlViewerTest, LoadingConvertsAndButtonsEditTheList) {
    ui::EDLViewer* w = open();
    load(w);
    EXPECT_EQ(w->windowTitle().toStdString(), " Vemo EDLMaker    Source EDL:  three.edl");
    EXPECT_EQ(w->directory(), dir.path().string());
    EXPECT_THAT(output(w), ElementsAre(kHeader, "000 INI", kRec1 + "STOP", kRec2 + "STOP",
                                       kRec3 + "STOP", "000 FNL"));
    EXPECT_NE(source(w).find("TITLE: THREE\n"), std::string::npos);

    // PS and ST rewrite the last recording and set All PS without converting again.
    click(w, "bpause");
    EXPECT_TRUE(box(w, "recmode")->isChecked());
    EXPECT_TRUE(w->engine().onetitle);
    EXPECT_THAT(output(w), ElementsAre(kHeader, "000 INI", kRec1 + "STOP", kRec2 + "STOP",
                                       kRec3 + "PAUSE", "000 FNL"));
    click(w, "bdel");
    click(w, "bstop");
    EXPECT_FALSE(box(w, "recmode")->isChecked());
    EXPECT_FALSE(w->engine().onetitle);
    EXPECT_THAT(output(w),
                ElementsAre(kHeader, "000 INI", kRec1 + "STOP", kRec2 + "STOP", "000 FNL"));

    click(w, "bwait");
    EXPECT_EQ(output(w)[4], "000 WAI");
    click(w, "bdel");
    click(w, "bchap");
    EXPECT_EQ(output(w)[3], "001 CHP 00:03:00:00");
    click(w, "bdel");
    EXPECT_THAT(output(w), ElementsAre(kHeader, "000 INI", kRec1 + "STOP", "000 FNL"));

    click(w, "bauto");
    EXPECT_EQ(output(w).size(), 6u);
}

TEST_F(EdlViewerTest, OptionChangesConvertAgain) {
    ui::EDLViewer* w = open();
    load(w);
    toggle(w, "useini");
    EXPECT_FALSE(w->engine().initialize);
    EXPECT_THAT(output(w),
                ElementsAre(kHeader, kRec1 + "STOP", kRec2 + "STOP", kRec3 + "STOP", "000 FNL"));
    toggle(w, "usefnl");
    EXPECT_THAT(output(w), ElementsAre(kHeader, kRec1 + "STOP", kRec2 + "STOP", kRec3 + "STOP"));
    toggle(w, "useini");
    toggle(w, "usefnl");

    toggle(w, "recmode");
    EXPECT_THAT(output(w), ElementsAre(kHeader, "000 INI", kRec1 + "PAUSE", kRec2 + "PAUSE",
                                       kRec3 + "STOP", "000 FNL"));
    // AutoCH takes All PS off: one stopping recording with a chapter mark per event.
    toggle(w, "autoch");
    EXPECT_FALSE(box(w, "recmode")->isChecked());
    EXPECT_FALSE(w->engine().onetitle);
    EXPECT_TRUE(w->engine().autochapter);
    EXPECT_THAT(output(w), ElementsAre(kHeader, "000 INI", "000 REC 00:01:00:00 00:06:00:00 STOP",
                                       "001 CHP 00:03:00:00", "002 CHP 00:05:00:00", "002 FNL"));
}

TEST_F(EdlViewerTest, WindowsKeepTheirOwnOptions) {
    ui::EDLViewer* first = open();
    ui::EDLViewer* second = open();
    load(first);
    load(second);
    toggle(first, "useini");
    toggle(second, "autoch");
    EXPECT_FALSE(box(first, "useini")->isChecked());
    EXPECT_TRUE(box(second, "useini")->isChecked());
    EXPECT_FALSE(box(first, "autoch")->isChecked());
    EXPECT_FALSE(first->engine().autochapter);
    EXPECT_TRUE(second->engine().initialize);
    EXPECT_EQ(output(first)[1], kRec1 + "STOP");
    EXPECT_EQ(output(first).size(), 5u);
    EXPECT_EQ(output(second)[1], "000 INI");
    EXPECT_EQ(output(second)[3], "001 CHP 00:03:00:00");
    // A window opened later still starts from the settings, not from the others' boxes.
    ui::EDLViewer* third = open();
    EXPECT_TRUE(box(third, "useini")->isChecked());
    EXPECT_FALSE(box(third, "autoch")->isChecked());
}

TEST_F(EdlViewerTest, ProcessLineAfterTheLastLineStartsAgain) {
    dir.write("events.edl", kThreeEvents.substr(kThreeEvents.find("001")));
    ui::EDLViewer* w = open();
    load(w, "events.edl");
    ASSERT_EQ(w->engine().rawlinecount, 3);
    click(w, "bnext");
    EXPECT_THAT(output(w), ElementsAre(kHeader, "000 INI", kRec1 + "STOP", "000 FNL"));
    EXPECT_EQ(source(w).substr(0, 6), "1 001 ");
    click(w, "bnext");
    click(w, "bnext");
    EXPECT_EQ(output(w).size(), 6u);
    click(w, "bnext");
    EXPECT_THAT(output(w), ElementsAre(kHeader, "000 INI", kRec1 + "STOP", "000 FNL"));
    EXPECT_EQ(source(w).substr(0, 6), "1 001 ");
    // Step Back from the second line starts again from line 1.
    click(w, "bnext");
    EXPECT_EQ(output(w).size(), 5u);
    click(w, "bback");
    EXPECT_THAT(output(w), ElementsAre(kHeader, "000 INI", kRec1 + "STOP", "000 FNL"));
}

TEST_F(EdlViewerTest, ClosingDisposesTheWindow) {
    QPointer<ui::EDLViewer> w = open();
    load(w);
    EXPECT_TRUE(w->close());
    QTRY_VERIFY(w.isNull());
    EXPECT_FALSE(dir.path().empty());
}

TEST_F(EdlViewerTest, AreasTakeTheRoomOfALargerWindowAndCaptionsStayWhole) {
    ui::EDLViewer* w = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    auto* src = child<QPlainTextEdit>(w, "textarea");
    auto* out = child<QPlainTextEdit>(w, "outarea");
    const QSize src0 = src->size();
    const QSize out0 = out->size();
    w->resize(w->size() + QSize(300, 200));
    QTRY_VERIFY(src->width() > src0.width());
    EXPECT_EQ(src->height(), src0.height() + 200) << "all the height goes to the areas";
    EXPECT_EQ(out->height(), src->height());
    // Shared in the measure of the areas' columns, 80 to 38.
    EXPECT_GT(src->width() - src0.width(), out->width() - out0.width());
    EXPECT_EQ(src->width() + out->width() - src0.width() - out0.width(), 300);

    // Shrunk as far as it goes: every caption is still shown whole.
    w->resize(50, 50);
    QTest::qWait(50);
    EXPECT_GT(w->width(), 50);
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
        const int needed = QFontMetrics(b->font()).horizontalAdvance(b->text());
        EXPECT_GE(b->width(), needed) << b->objectName().toStdString();
    }
    EXPECT_GT(src->height(), 0);
}

}  // namespace
}  // namespace vemo::test
