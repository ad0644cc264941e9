// The main window's controls, captions, fonts, colours and fixed pixel layout.
#include <QLabel>

#include "ui/main_controls.h"
#include "ui/main_layout.h"
#include "ui/main_window_fixture.h"

namespace vemo::test {
namespace {

using ui::layoutFor;
using ui::Placement;

QRect rectOf(const Placement& p) {
    return {p.x, p.y, p.w, p.h};
}

// Every placed control sits exactly where the table says and is shown; nothing else is.
void expectMatchesTable(ui::LocalGUI& gui, bool lx1, const char* label) {
    std::set<QWidget*> placed;
    for (const Placement& p : layoutFor(lx1)) {
        QString name = QString::fromUtf8(p.name.data(), static_cast<int>(p.name.size()));
        if (name == "vcrlabel")
            name = QString::fromLatin1(label);
        auto* w = gui.findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << name.toStdString();
        EXPECT_EQ(w->geometry(), rectOf(p)) << name.toStdString();
        EXPECT_TRUE(w->isVisible()) << name.toStdString();
        placed.insert(w);
    }
    for (QWidget* w : gui.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (placed.count(w) == 0) {
            EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowTest, TapeDeckLayout) {
    make("TAPE");
    showWindow();
    expectMatchesTable(*gui, false, "vcrlabel");
    EXPECT_EQ(gui->size(), QSize(320, 301 + 24 + 8));
    EXPECT_EQ(gui->windowTitle(), QString(" Vemo Video Deck Console"));
    EXPECT_EQ(child<QLabel>("vcrlabel")->text(), QString("VTR Controls - Bench"));
    // Columns start 5 pixels in and are 60 wide.
    EXPECT_EQ(button("brew")->x(), 5);
    EXPECT_EQ(button("bfwd")->geometry(), QRect(245, 37, 60, 24));
    EXPECT_EQ(button("bjogf")->geometry(), QRect(205, 189, 100, 24));
    EXPECT_EQ(child("vsb")->geometry(), QRect(5, 221, 300, 25));
    EXPECT_EQ(child("statusfield")->geometry(), QRect(5, 301, 300, 24));
}

TEST_F(MainWindowTest, ReconDeckUsesTapeLayoutWithItsLabel) {
    make("RECON");
    showWindow();
    expectMatchesTable(*gui, false, "reconlabel");
    EXPECT_EQ(child<QLabel>("reconlabel")->text(), QString("REC Controls - Bench"));
}

TEST_F(MainWindowTest, RecorderLayoutHasNoTapeControls) {
    make("LX1");
    showWindow();
    expectMatchesTable(*gui, true, "lx1label");
    EXPECT_EQ(child<QLabel>("lx1label")->text(), QString("LX1 Controls - Bench"));
    for (const char* name : {"bslowfifth", "bslowthird", "bslowhalf", "bfasttwo", "bfastfive",
                             "beeon", "beeoff", "bsbyon", "bsbyoff", "bjogf", "bjogr", "vsb"}) {
        EXPECT_FALSE(child(name)->isVisible()) << name;
    }
    // "REC" stands alone in its row.
    const int recY = button("brecord")->y();
    EXPECT_EQ(button("brecord")->geometry(), QRect(125, 65, 60, 24));
    for (const Placement& p : layoutFor(true)) {
        if (p.name != "brecord") {
            EXPECT_NE(p.y, recY) << p.name;
        }
    }
    EXPECT_EQ(button("bscript")->geometry(), QRect(125, 159, 60, 24));
    EXPECT_EQ(gui->height(), 209 + 24 + 8);
}

TEST_F(MainWindowTest, CaptionsAndUnplacedNetworkControls) {
    make("TAPE");
    std::map<std::string, std::string> expected = {{"bstop", "Stop *"},
                                                   {"bplay", "Play >"},
                                                   {"bpause", "Pause ||"},
                                                   {"bfwd", "Fwd >>"},
                                                   {"brew", "<< Rew"},
                                                   {"bslowhalf", "Slow/2"},
                                                   {"bslowthird", "Slow/3"},
                                                   {"bslowfifth", "Slow/5"},
                                                   {"bfasttwo", "FastX2"},
                                                   {"bfastfive", "FastX5"},
                                                   {"bsbyon", "SbyON"},
                                                   {"bsbyoff", "SbyOFF"},
                                                   {"bscript", "SCRIPT"},
                                                   {"beeon", "EEOn"},
                                                   {"beeoff", "EEOff"},
                                                   {"bjogf", "Jog |>"},
                                                   {"bjogr", "<| Jog"},
                                                   {"bcue", "CueIn"},
                                                   {"bcueout", "CueOut"},
                                                   {"bsetcue", "SetIn"},
                                                   {"bsetreview", "SetOut"},
                                                   {"bcueplay", "Cue/Play"},
                                                   {"breview", "Review"},
                                                   {"brecord", "REC"},
                                                   {"bedlmaker", "LX1 EDLMaker"},
                                                   {"blogger", "Logger Window"},
                                                   {"bconnect", "Let Client Connect"}};
    EXPECT_EQ(ui::mainButtons().size(), expected.size());
    for (auto& [name, caption] : expected) {
        EXPECT_EQ(button(name.c_str())->text().toStdString(), caption) << name;
    }
    EXPECT_EQ(child<QLabel>("statuslabel")->text(), QString("Status/Results"));
    EXPECT_EQ(child<QLineEdit>("hostfield")->text(), QString("localhost"));
    EXPECT_EQ(child<QLineEdit>("portfield")->text(), QString("2001"));
    EXPECT_TRUE(child("bconnect")->isHidden());
    EXPECT_TRUE(child("ipfield")->isHidden());
    gui->ShowIP("");
    EXPECT_EQ(child<QLineEdit>("ipfield")->text(), QString("null"));
    gui->ShowIP("192.168.1.20");
    EXPECT_EQ(child<QLineEdit>("ipfield")->text(), QString("192.168.1.20"));
}

TEST_F(MainWindowTest, FontsAndColours) {
    make("TAPE");
    EXPECT_EQ(gui->palette().color(QPalette::Window), QColor(90, 170, 250));
    EXPECT_EQ(gui->font().family(), QString("Helvetica"));
    EXPECT_EQ(gui->font().pixelSize(), 13);
    for (const char* name : {"brecord", "bscript"}) {
        EXPECT_TRUE(button(name)->font().bold()) << name;
        EXPECT_EQ(button(name)->palette().color(QPalette::ButtonText), QColor(Qt::red)) << name;
    }
    EXPECT_FALSE(button("bplay")->font().bold());
    auto* tc = child<QLineEdit>("tcfield");
    EXPECT_EQ(tc->font().pixelSize(), 18);
    EXPECT_EQ(tc->palette().color(QPalette::Text), QColor(250, 80, 80));
    EXPECT_EQ(tc->palette().color(QPalette::Base), QColor(Qt::black));
    EXPECT_TRUE(tc->isReadOnly());
    EXPECT_TRUE(child<QLineEdit>("statusfield")->isReadOnly());
    for (const char* name : {"tcfield", "cuefield", "endfield"}) {
        EXPECT_EQ(child<QLineEdit>(name)->text(), QString("00:00:00:00")) << name;
    }
    EXPECT_FALSE(child<QLineEdit>("cuefield")->isReadOnly());
    EXPECT_EQ(child<QLineEdit>("cuefield")->font().pixelSize(), 18);
}

TEST(MainLayout, TableRowsFollowTheRowGaps) {
    // Tape: 5, +32, +28, +28, +34, +30, +32, +32, +30, +26, +24.
    std::vector<int> tapeRows{5, 37, 65, 93, 127, 157, 189, 221, 251, 277, 301};
    std::set<int> ys;
    for (const Placement& p : layoutFor(false))
        ys.insert(p.y);
    EXPECT_EQ(std::vector<int>(ys.begin(), ys.end()), tapeRows);
    ys.clear();
    for (const Placement& p : layoutFor(true))
        ys.insert(p.y);
    EXPECT_EQ(std::vector<int>(ys.begin(), ys.end()),
              (std::vector<int>{5, 37, 65, 99, 129, 159, 185, 209}));
    // No two controls of one layout overlap, and all fit in the 320-pixel window.
    for (bool lx1 : {false, true}) {
        const auto& table = layoutFor(lx1);
        for (std::size_t i = 0; i < table.size(); ++i) {
            EXPECT_LE(table[i].x + table[i].w, 320) << table[i].name;
            for (std::size_t j = i + 1; j < table.size(); ++j) {
                EXPECT_FALSE(rectOf(table[i]).intersects(rectOf(table[j])))
                    << table[i].name << " " << table[j].name;
            }
        }
    }
}

}  // namespace
}  // namespace vemo::test
