// The main window's keys: the frames they send, the controls they leave alone, the tooltips,
// the help window, and the time fields and captions shown whole.
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>

#include "support/qt/text_room.h"
#include "ui/key_map.h"
#include "ui/main_window_fixture.h"

namespace vemo::test {
namespace {

Bytes shuttle(bool forward, std::uint8_t speed) {
    const auto sum = static_cast<std::uint8_t>((forward ? 0x34 : 0x44) + speed);
    return {0x21, static_cast<std::uint8_t>(forward ? 0x13 : 0x23), speed, sum, 0x00};
}

TEST_F(MainWindowTest, JKLShuttleInStepsAndSpacePlaysOrStops) {
    make("TAPE");
    showWindow();
    // Each key, the frame it sends and where the slider then stands.
    const std::vector<std::tuple<Qt::Key, Bytes, int>> steps = {
        {Qt::Key_L, shuttle(true, 64), 80},
        {Qt::Key_L, shuttle(true, 74), 85},
        {Qt::Key_L, shuttle(true, 84), 90},
        {Qt::Key_L, shuttle(true, 94), 95},
        {Qt::Key_J, shuttle(false, 64), 16},
        {Qt::Key_J, shuttle(false, 74), 11},
        {Qt::Key_K, kPause, 48},
        {Qt::Key_Space, kPlay, 48},
        {Qt::Key_Space, kStop, 48},
        {Qt::Key_L, shuttle(true, 64), 80},
        {Qt::Key_Space, kStop, 80},
        {Qt::Key_L, shuttle(true, 64), 80},
    };
    for (const auto& [k, frame, slider] : steps) {
        port.clear();
        key(k);
        EXPECT_EQ(port.frames(), std::vector<Bytes>{frame}) << QTest::toString(k);
        EXPECT_EQ(child<QScrollBar>("vsb")->value(), slider);
    }
}

TEST_F(MainWindowTest, InOutCueAndReviewKeysDoWhatTheirButtonsDo) {
    make("TAPE");
    showWindow();
    showTimeCode("00:01:02:03");
    key(Qt::Key_I);
    showTimeCode("00:01:10:00");
    key(Qt::Key_O);
    EXPECT_EQ(child<QLineEdit>("cuefield")->text(), QString("00:01:02:03"));
    EXPECT_EQ(child<QLineEdit>("endfield")->text(), QString("00:01:10:00"));
    EXPECT_EQ(status(), QString("SetRev"));
    EXPECT_TRUE(port.frames().empty());
    const Bytes cueIn{0x24, 0x31, 0x03, 0x02, 0x01, 0x00, 0x5B};
    const std::vector<std::tuple<Qt::Key, Qt::KeyboardModifiers, Bytes>> cues = {
        {Qt::Key_I, Qt::ShiftModifier, cueIn},
        {Qt::Key_O, Qt::ShiftModifier, {0x24, 0x31, 0x00, 0x10, 0x01, 0x00, 0x66}},
        {Qt::Key_R, Qt::NoModifier, cueIn},
    };
    for (const auto& [k, modifiers, frame] : cues) {
        port.clear();
        key(k, modifiers);
        EXPECT_TRUE(waitFor([&] { return port.sent(frame); })) << QTest::toString(k);
        // While the cue runs its keys do nothing, as its buttons are disabled.
        QTRY_VERIFY(!button("bcue")->isEnabled());
        port.clear();
        key(Qt::Key_I, Qt::ShiftModifier);
        EXPECT_FALSE(port.sent(cueIn));
        vcr->stopCue();
        QTRY_VERIFY(button("bcue")->isEnabled());
    }
}

TEST_F(MainWindowTest, KeysPassTextFieldsByAndSkipWhatTheDeckTypeHides) {
    make("TAPE");
    showWindow();
    auto* in = child<QLineEdit>("cuefield");
    in->clear();
    QTest::keyClicks(in, "JKL IO");
    EXPECT_EQ(in->text(), QString("JKL IO")) << "typed text stays text";
    EXPECT_TRUE(port.frames().empty());
    // Fields that take no typing and focused buttons pass the keys on.
    key(Qt::Key_Right, Qt::NoModifier, child<QLineEdit>("tcfield"));
    key(Qt::Key_Left, Qt::NoModifier, child<QLineEdit>("statusfield"));
    key(Qt::Key_Space, Qt::NoModifier, button("brecord"));
    EXPECT_EQ(port.frames(), (std::vector<Bytes>{kJogF, kStop, kJogR, kStop, kPlay}));

    TearDown();
    port.clear();
    make("LX1");
    showWindow();
    for (Qt::Key k : {Qt::Key_J, Qt::Key_K, Qt::Key_L, Qt::Key_Left, Qt::Key_Right})
        key(k);
    EXPECT_TRUE(port.frames().empty()) << "the recorder shows no jog buttons and no slider";
}

TEST_F(MainWindowTest, TooltipsAndHelpNameEveryKey) {
    make("TAPE");
    showWindow();
    key(Qt::Key_F1);
    auto* help = gui->findChild<QDialog*>("keyHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    const QString listed = help->findChild<QLabel*>("keyHelpText")->text();
    auto* close = help->findChild<QDialogButtonBox*>("keyHelpClose");
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close->button(QDialogButtonBox::Close), Qt::LeftButton);
    EXPECT_FALSE(help->isVisible()) << "the Close button closes the help";
    for (const ui::KeyBinding& b : ui::keyBindings()) {
        const QString k = QString::fromUtf8(b.keyText.data(), b.keyText.size());
        EXPECT_EQ(listed.contains("<b>" + k + "</b>"), b.scope == ui::KeyScope::Both) << b.keyText;
        if (!b.mainControl.empty()) {
            EXPECT_TRUE(child(std::string(b.mainControl).c_str())->toolTip().contains(k))
                << b.keyText;
        }
    }
}

TEST_F(MainWindowTest, TimeFieldsAndTheLoggerCaptionShowWhole) {
    make("TAPE");
    showWindow();
    for (const char* name : {"tcfield", "cuefield", "endfield"}) {
        auto* field = child<QLineEdit>(name);
        EXPECT_LE(widthOf(*field, widestTime(*field)), roomIn(*field)) << name;
        EXPECT_GE(field->font().pixelSize(), 12) << "still a readable size";
    }
    QPushButton* logger = button("blogger");
    EXPECT_LE(widthOf(*logger, logger->text()), roomOn(*logger));
}

}  // namespace
}  // namespace vemo::test
