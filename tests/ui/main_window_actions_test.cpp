// What the main window's buttons, fields and slider send to the deck.
#include <chrono>

#include "ui/main_controls.h"
#include "ui/main_window_fixture.h"

namespace vemo::test {
namespace {

using std::chrono::steady_clock;

TEST_F(MainWindowTest, SliderShuttlesAndPausesInTheDeadBand) {
    make("TAPE");
    auto* vsb = child<QScrollBar>("vsb");
    EXPECT_EQ(vsb->minimum(), 0);
    EXPECT_EQ(vsb->maximum(), 95);
    EXPECT_EQ(vsb->pageStep(), 20);
    EXPECT_EQ(vsb->value(), 48);
    EXPECT_TRUE(port.frames().empty()) << "setting up the slider must send nothing";

    vsb->setValue(50);
    vsb->setValue(60);
    vsb->setValue(30);
    vsb->setValue(54);
    vsb->setValue(42);
    vsb->setValue(53);
    EXPECT_EQ(port.frames(), (std::vector<Bytes>{
                                 kPause,
                                 {0x21, 0x13, 0x18, 0x4C, 0x00},  // forward at 24
                                 {0x21, 0x23, 0x24, 0x68, 0x00},  // reverse at 36
                                 {0x21, 0x13, 0x0C, 0x40, 0x00},  // forward at 12
                                 {0x21, 0x23, 0x0C, 0x50, 0x00},  // reverse at 12
                                 kPause,
                             }));
    vsb->setValue(0);
    vsb->setValue(95);
    auto frames = port.frames();
    EXPECT_EQ(frames[frames.size() - 2], (Bytes{0x21, 0x23, 0x60, 0xA4, 0x00}));  // 96
    EXPECT_EQ(frames.back(), (Bytes{0x21, 0x13, 0x5E, 0x92, 0x00}));              // 94
}

TEST_F(MainWindowTest, EachPressLeavesItsActionWord) {
    make("TAPE");
    showWindow();
    for (const ui::ButtonDef& entry : ui::mainButtons()) {
        // Review reports the clip it reviews; the logger button has no word; the connect
        // button is not placed.
        if (entry.name == "breview" || entry.name == "blogger" || entry.name == "bconnect")
            continue;
        child<QLineEdit>("statusfield")->clear();
        QTest::mouseClick(button(std::string(entry.name).c_str()), Qt::LeftButton);
        EXPECT_EQ(status().toStdString(), entry.action) << entry.name;
        vcr->stopCue();
    }
    button("bconnect")->click();
    EXPECT_EQ(status(), QString("Awaiting Client Connection"));
}

TEST_F(MainWindowTest, TransportButtonsSendTheirFrames) {
    make("TAPE");
    showWindow();
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"bstop", kStop},
        {"bplay", kPlay},
        {"bpause", kPause},
        {"bfwd", {0x20, 0x10, 0x30}},
        {"brew", {0x20, 0x20, 0x40}},
        {"bslowhalf", {0x21, 0x12, 0x36, 0x69}},
        {"bslowthird", {0x21, 0x12, 0x30, 0x63}},
        {"bslowfifth", {0x21, 0x12, 0x2D, 0x60}},
        {"bfasttwo", {0x21, 0x13, 0x4A, 0x7E}},
        {"bfastfive", {0x21, 0x13, 0x82, 0xB6}},
        {"bsbyon", {0x20, 0x05, 0x25}},
        {"bsbyoff", {0x20, 0x04, 0x24}},
        {"beeon", {0x20, 0x61, 0x81}},
        {"brecord", {0x20, 0x02, 0x22}},
    };
    for (auto& [name, frame] : cases) {
        port.clear();
        QTest::mouseClick(button(name), Qt::LeftButton);
        EXPECT_EQ(port.frames(), std::vector<Bytes>{frame}) << name;
    }
}

TEST_F(MainWindowTest, EEOffJogsForwardAndBackAndEndsStopped) {
    make("TAPE");
    showWindow();
    auto start = steady_clock::now();
    QTest::mouseClick(button("beeoff"), Qt::LeftButton);
    auto took = steady_clock::now() - start;
    EXPECT_EQ(port.frames(), (std::vector<Bytes>{kJogF, kStop, kJogR, kStop}));
    EXPECT_GE(took, std::chrono::milliseconds(1100));  // two 600 ms jogs
    EXPECT_EQ(status(), QString("EEOff"));
}

TEST_F(MainWindowTest, JogButtonsOnTapeAndLancDecks) {
    make("TAPE");
    showWindow();
    QTest::mouseClick(button("bjogf"), Qt::LeftButton);
    QTest::mouseClick(button("bjogr"), Qt::LeftButton);
    EXPECT_EQ(port.frames(), (std::vector<Bytes>{kJogF, kStop, kJogR, kStop}));

    TearDown();
    port.clear();
    make("LANC", true);
    showWindow();
    QTest::mouseClick(button("bjogf"), Qt::LeftButton);
    QTest::mouseClick(button("bjogr"), Qt::LeftButton);
    EXPECT_EQ(port.frames(), (std::vector<Bytes>{kJogF, kJogR, kPause}));
}

TEST_F(MainWindowTest, SetInThenCueInCuesToTheShownTimeCode) {
    make("TAPE");
    showWindow();
    showTimeCode("00:01:02:03");
    EXPECT_EQ(child<QLineEdit>("tcfield")->text(), QString("00:01:02:03"));
    QTest::mouseClick(button("bsetcue"), Qt::LeftButton);
    EXPECT_EQ(child<QLineEdit>("cuefield")->text(), QString("00:01:02:03"));
    EXPECT_EQ(vcr->CueString(), "00:01:02:03");
    EXPECT_TRUE(port.frames().empty());

    QTest::mouseClick(button("bcue"), Qt::LeftButton);
    const Bytes cue{0x24, 0x31, 0x03, 0x02, 0x01, 0x00, 0x5B};
    ASSERT_TRUE(waitFor([&] { return port.sent(cue); }));
    // While the cue runs its controls are greyed and the fields locked.
    QTRY_VERIFY(!button("bcue")->isEnabled());
    EXPECT_FALSE(button("breview")->isEnabled());
    EXPECT_EQ(button("bcueplay")->palette().color(QPalette::Button), QColor(64, 64, 64));
    EXPECT_TRUE(child<QLineEdit>("cuefield")->isReadOnly());
    EXPECT_TRUE(child<QLineEdit>("endfield")->isReadOnly());
    vcr->stopCue();
    QTRY_VERIFY(button("bcue")->isEnabled());
    // Given back in the colour of every other button.
    EXPECT_EQ(button("bcueout")->palette().color(QPalette::Button),
              button("bplay")->palette().color(QPalette::Button));
    EXPECT_FALSE(child<QLineEdit>("endfield")->isReadOnly());
}

TEST_F(MainWindowTest, SetOutCopiesTheTimeCodeIntoTheOutField) {
    make("TAPE");
    showWindow();
    showTimeCode("01:00:00:10");
    QTest::mouseClick(button("bsetreview"), Qt::LeftButton);
    EXPECT_EQ(child<QLineEdit>("endfield")->text(), QString("01:00:00:10"));
    EXPECT_EQ(vcr->fields().end(), "01:00:00:10");
    EXPECT_EQ(status(), QString("SetRev"));
    EXPECT_TRUE(port.frames().empty());
}

TEST_F(MainWindowTest, EnterInTheInFieldPreparesTheCueAtOnce) {
    make("TAPE");
    showWindow();
    auto* in = child<QLineEdit>("cuefield");
    in->selectAll();
    QTest::keyClicks(in, "00:00:10:00");
    EXPECT_EQ(vcr->fields().cue(), "00:00:10:00");  // typed text reaches the store
    EXPECT_EQ(vcr->CueString(), "00:00:00:00");     // not yet taken
    QTest::keyClick(in, Qt::Key_Return);
    EXPECT_EQ(vcr->CueString(), "00:00:10:00");
    EXPECT_EQ(vcr->bscue(), (deck::protocol::Frame<7>{0x24, 0x31, 0x00, 0x10, 0x00, 0x00, 0x65}));
    EXPECT_TRUE(port.frames().empty()) << "Enter prepares, it does not cue";
}

TEST_F(MainWindowTest, EnterInTheOutFieldDoesNothing) {
    make("TAPE");
    showWindow();
    auto* out = child<QLineEdit>("endfield");
    out->selectAll();
    QTest::keyClicks(out, "00:00:12:15");
    QTest::keyClick(out, Qt::Key_Return);
    EXPECT_EQ(vcr->EndString(), "00:00:00:00");
    EXPECT_TRUE(port.frames().empty());
    EXPECT_EQ(status(), QString());
    // The typed out point is taken by the next CueOut.
    QTest::mouseClick(button("bcueout"), Qt::LeftButton);
    EXPECT_EQ(vcr->EndString(), "00:00:12:15");
    const Bytes cue{0x24, 0x31, 0x15, 0x12, 0x00, 0x00, 0x7C};
    EXPECT_TRUE(waitFor([&] { return port.sent(cue); }));
}

TEST_F(MainWindowTest, BadInPointIsReportedAndNothingSent) {
    make("TAPE");
    showWindow();
    auto* in = child<QLineEdit>("cuefield");
    in->selectAll();
    QTest::keyClicks(in, "00:0x:10");
    QTest::keyClick(in, Qt::Key_Return);
    EXPECT_NE(status().indexOf("00:0x:10"), -1) << status().toStdString();
    QTest::mouseClick(button("bcue"), Qt::LeftButton);
    EXPECT_NE(status().indexOf("00:0x:10"), -1) << status().toStdString();
    EXPECT_TRUE(port.frames().empty());
    EXPECT_EQ(in->text(), QString("00:0x:10")) << "the typed text is kept for correction";
}

TEST_F(MainWindowTest, LoggerButtonGreyedWhileItsWindowIsOpen) {
    make("TAPE");
    showWindow();
    QPushButton* blogger = button("blogger");
    // Nothing opens a logger yet: the button stays usable.
    QTest::mouseClick(blogger, Qt::LeftButton);
    EXPECT_TRUE(blogger->isEnabled());
    gui->onOpenLogger = [] { return false; };
    QTest::mouseClick(blogger, Qt::LeftButton);
    EXPECT_TRUE(blogger->isEnabled());

    int opened = 0;
    gui->onOpenLogger = [&] { return ++opened > 0; };
    QTest::mouseClick(blogger, Qt::LeftButton);
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(blogger->isEnabled());
    EXPECT_EQ(blogger->palette().color(QPalette::Button), QColor(64, 64, 64));
    QTest::mouseClick(blogger, Qt::LeftButton);
    EXPECT_EQ(opened, 1) << "a disabled button opens no second logger";
    gui->loggerClosed();
    EXPECT_TRUE(blogger->isEnabled());
    EXPECT_EQ(blogger->palette().color(QPalette::Button),
              button("bplay")->palette().color(QPalette::Button));
}

TEST_F(MainWindowTest, EdlMakerAndScriptHooks) {
    make("TAPE");
    showWindow();
    int edl = 0;
    int script = 0;
    gui->onOpenEdlMaker = [&] { ++edl; };
    gui->onScript = [&] { ++script; };
    QTest::mouseClick(button("bedlmaker"), Qt::LeftButton);
    QTest::mouseClick(button("bedlmaker"), Qt::LeftButton);
    QTest::mouseClick(button("bscript"), Qt::LeftButton);
    EXPECT_EQ(edl, 2);
    EXPECT_EQ(script, 1);
    EXPECT_TRUE(port.frames().empty());
}

}  // namespace
}  // namespace vemo::test
