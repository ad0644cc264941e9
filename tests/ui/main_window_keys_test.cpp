// The main window's keys: the frames they send, the controls they leave alone, the tooltips,
// the help window, and the time fields and captions shown whole.
#include <QDialog>
#include <QLabel>

#include "support/qt/text_room.h"
#include "ui/field_fit.h"
#include "ui/key_map.h"
#include "ui/main_window_fixture.h"

namespace vemo::test {
namespace {

Bytes shuttle(bool forward, std::uint8_t speed) {
    const auto sum = static_cast<std::uint8_t>((forward ? 0x34 : 0x44) + speed);
    return {0x21, static_cast<std::uint8_t>(forward ? 0x13 : 0x23), speed, sum, 0x00};
}

TEST_F(MainWindowTest, JAndLStepTheShuttleUpAndKStopsIt) {
    make("TAPE");
    showWindow();
    auto* vsb = child<QScrollBar>("vsb");
    // Each key, the frame it sends and where the slider then stands.
    const std::vector<std::tuple<Qt::Key, Bytes, int>> steps = {
        {Qt::Key_L, shuttle(true, 64), 80},  {Qt::Key_L, shuttle(true, 74), 85},
        {Qt::Key_L, shuttle(true, 84), 90},  {Qt::Key_L, shuttle(true, 94), 95},
        {Qt::Key_L, shuttle(true, 94), 95},  {Qt::Key_J, shuttle(false, 64), 16},
        {Qt::Key_J, shuttle(false, 74), 11}, {Qt::Key_K, kPause, 48},
        {Qt::Key_J, shuttle(false, 64), 16},
    };
    for (const auto& [k, frame, slider] : steps) {
        port.clear();
        key(k);
        EXPECT_EQ(port.frames(), std::vector<Bytes>{frame}) << QTest::toString(k);
        EXPECT_EQ(vsb->value(), slider);
    }
    // A button in between: the next L starts from the first step again.
    QTest::mouseClick(button("bstop"), Qt::LeftButton);
    port.clear();
    key(Qt::Key_L);
    EXPECT_EQ(port.frames(), std::vector<Bytes>{shuttle(true, 64)});
}

TEST_F(MainWindowTest, SpacePlaysAndStops) {
    make("TAPE");
    showWindow();
    key(Qt::Key_Space);
    key(Qt::Key_Space);
    EXPECT_EQ(port.frames(), (std::vector<Bytes>{kPlay, kStop}));
    EXPECT_EQ(status(), QString("Stop")) << "as the button does";
    // From a still picture Space plays; while the keys shuttle it stops.
    port.clear();
    key(Qt::Key_Space);
    key(Qt::Key_K);
    key(Qt::Key_Space);
    key(Qt::Key_L);
    key(Qt::Key_Space);
    EXPECT_EQ(port.frames(), (std::vector<Bytes>{kPlay, kPause, kPlay, shuttle(true, 64), kStop}));
}

TEST_F(MainWindowTest, InOutCueAndReviewKeysDoWhatTheirButtonsDo) {
    make("TAPE");
    showWindow();
    showTimeCode("00:01:02:03");
    key(Qt::Key_I);
    EXPECT_EQ(child<QLineEdit>("cuefield")->text(), QString("00:01:02:03"));
    EXPECT_EQ(vcr->CueString(), "00:01:02:03");
    showTimeCode("00:01:10:00");
    key(Qt::Key_O);
    EXPECT_EQ(child<QLineEdit>("endfield")->text(), QString("00:01:10:00"));
    EXPECT_EQ(status(), QString("SetRev"));
    EXPECT_TRUE(port.frames().empty());

    const std::vector<std::tuple<Qt::Key, Qt::KeyboardModifiers, Bytes>> cues = {
        {Qt::Key_I, Qt::ShiftModifier, {0x24, 0x31, 0x03, 0x02, 0x01, 0x00, 0x5B}},
        {Qt::Key_O, Qt::ShiftModifier, {0x24, 0x31, 0x00, 0x10, 0x01, 0x00, 0x66}},
        {Qt::Key_R, Qt::NoModifier, {0x24, 0x31, 0x03, 0x02, 0x01, 0x00, 0x5B}},
    };
    for (const auto& [k, modifiers, frame] : cues) {
        port.clear();
        key(k, modifiers);
        EXPECT_TRUE(waitFor([&] { return port.sent(frame); })) << QTest::toString(k);
        // While the cue runs its keys do nothing, as its buttons are disabled.
        QTRY_VERIFY(!button("bcue")->isEnabled());
        port.clear();
        key(Qt::Key_I, Qt::ShiftModifier);
        EXPECT_FALSE(port.sent(frame));
        vcr->stopCue();
        QTRY_VERIFY(button("bcue")->isEnabled());
    }
}

TEST_F(MainWindowTest, ArrowsJogOnTapeDecksAndDeckTypeKeysAreGoneOnTheRecorder) {
    make("TAPE");
    showWindow();
    key(Qt::Key_Right);
    key(Qt::Key_Left);
    EXPECT_EQ(port.frames(), (std::vector<Bytes>{kJogF, kStop, kJogR, kStop}));

    TearDown();
    port.clear();
    make("LX1");
    showWindow();
    for (Qt::Key k : {Qt::Key_J, Qt::Key_K, Qt::Key_L, Qt::Key_Left, Qt::Key_Right})
        key(k);
    EXPECT_TRUE(port.frames().empty()) << "the recorder shows no jog buttons and no slider";
    key(Qt::Key_Space);
    EXPECT_EQ(port.frames(), std::vector<Bytes>{kPlay});
}

TEST_F(MainWindowTest, KeysTypedIntoAFieldStayText) {
    make("TAPE");
    showWindow();
    auto* in = child<QLineEdit>("cuefield");
    in->clear();
    QTest::keyClicks(in, "JKL IO R");
    QTest::keyClick(in, Qt::Key_Left);
    EXPECT_EQ(in->text(), QString("JKL IO R"));
    EXPECT_TRUE(port.frames().empty());
    // A field that takes no typing passes the keys on.
    key(Qt::Key_Space, Qt::NoModifier, child<QLineEdit>("tcfield"));
    key(Qt::Key_Right, Qt::NoModifier, child<QLineEdit>("statusfield"));
    EXPECT_EQ(port.frames(), (std::vector<Bytes>{kPlay, kJogF, kStop}));
    // So does a button with the focus: Space is play / stop there too, not a press.
    port.clear();
    key(Qt::Key_Space, Qt::NoModifier, button("brecord"));
    EXPECT_EQ(port.frames(), std::vector<Bytes>{kPlay});
}

TEST_F(MainWindowTest, TooltipsAndHelpNameEveryKey) {
    make("TAPE");
    showWindow();
    for (const ui::KeyBinding& b : ui::keyBindings()) {
        if (b.mainControl.empty())
            continue;
        const QString tip = child(std::string(b.mainControl).c_str())->toolTip();
        EXPECT_TRUE(tip.contains(QString::fromUtf8(b.keyText.data(), b.keyText.size())))
            << b.mainControl << ": " << tip.toStdString();
    }
    key(Qt::Key_F1);
    auto* help = gui->findChild<QDialog*>("keyHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    const QString text = help->findChild<QLabel*>("keyHelpText")->text();
    for (const ui::KeyBinding& b : ui::keyBindings()) {
        const bool listed = text.contains(
            QStringLiteral("<b>%1</b>").arg(QString::fromUtf8(b.keyText.data(), b.keyText.size())));
        EXPECT_EQ(listed, b.scope == ui::KeyScope::Both) << b.keyText;
    }
    help->close();
    key(Qt::Key_F1);
    EXPECT_EQ(gui->findChildren<QDialog*>("keyHelp").size(), 1) << "shown again, not a second";
    EXPECT_TRUE(help->isVisible());
}

TEST_F(MainWindowTest, TimeFieldsAndTheLoggerCaptionShowWhole) {
    for (const char* type : {"TAPE", "LX1"}) {
        SCOPED_TRACE(type);
        make(type);
        showWindow();
        for (const char* name : {"tcfield", "cuefield", "endfield"}) {
            auto* field = child<QLineEdit>(name);
            EXPECT_LE(widthOf(*field, ui::widestTimeText(field->font())), roomIn(*field)) << name;
            EXPECT_LE(field->font().pixelSize(), 18);
            EXPECT_GE(field->font().pixelSize(), 12) << "still a readable size";
        }
        QPushButton* logger = button("blogger");
        EXPECT_LE(widthOf(*logger, logger->text()), roomOn(*logger));
        EXPECT_EQ(logger->geometry().size(), QSize(100, 24));
        TearDown();
    }
}

}  // namespace
}  // namespace vemo::test
