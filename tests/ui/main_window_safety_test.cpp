// The main window keeps failures readable and lets a quit or the operator's Stop end a
// script at once.
#include <QDateTime>
#include <QTimer>

#include "support/stdout_capture.h"
#include "support/temp_dir.h"
#include "ui/main_window_fixture.h"
#include "ui/script_sequence.h"

namespace vemo::test {
namespace {

const Bytes kRewind{0x20, 0x20, 0x20};

TEST_F(MainWindowTest, AFailureOutlivesTheStatusPollForFiveSeconds) {
    make("TAPE");
    port.setReply(pollingDeck({0, 0, 0, 0}, 0x00));
    vcr->GetTC();
    QTRY_VERIFY(!status().isEmpty());
    const QString poll = status();

    gui->ShowError("Out point is not a time code: 00:00:1x:00");
    const qint64 shown = QDateTime::currentMSecsSinceEpoch();
    QCoreApplication::processEvents();
    EXPECT_TRUE(gui->showingError());
    // The poll keeps writing meanwhile; the failure stays for as long as it must.
    while (QDateTime::currentMSecsSinceEpoch() - shown < 4000) {
        QTest::qWait(50);
        if (QDateTime::currentMSecsSinceEpoch() - shown < ui::LocalGUI::kErrorHoldMs - 200) {
            ASSERT_EQ(status(), QString("Out point is not a time code: 00:00:1x:00"));
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(status(), poll, 15000);
    EXPECT_FALSE(gui->showingError());
}

TEST_F(MainWindowTest, ADeckThatStopsAnsweringIsPlainToSeeAndHeals) {
    make("TAPE");
    port.setReply(pollingDeck({0, 0x10, 0, 0}, 0x00));
    vcr->GetTC();
    auto* tc = child<QLineEdit>("tcfield");
    QTRY_COMPARE_WITH_TIMEOUT(tc->text(), QString("00:00:10:00"), 15000);
    port.setReply({});  // the deck is gone
    QTRY_COMPARE_WITH_TIMEOUT(tc->text(), QString("no deck"), 15000);
    EXPECT_FALSE(tc->isEnabled()) << "greyed";
    EXPECT_FALSE(vcr->deckAnswering());
    EXPECT_EQ(status(), QString("Deck not answering"));
    EXPECT_TRUE(gui->showingError());
    port.setReply(pollingDeck({0, 0x10, 0, 0}, 0x00));
    QTRY_COMPARE_WITH_TIMEOUT(tc->text(), QString("00:00:10:00"), 15000);
    EXPECT_TRUE(tc->isEnabled());
}

// "Play", a wait of about 24 days, then "Rewind": a quit or a Stop ends it during the wait.
class ScriptStopTest : public MainWindowTest {
  protected:
    void SetUp() override {
        make("TAPE");
        dir.write("Script.txt", "Play\nWait2147483\nRewind\n");
        gui->onScript = [this] { ui::runScript(*vcr, dir.file("Script.txt")); };
        gui->onClosed = [this](int code) { closedWith = code; };
    }
    TempDir dir;
    int closedWith = -1;
};

TEST_F(ScriptStopTest, AQuitEndsTheScriptAndTheDeckGetsOnlyTheClosingStops) {
    QTimer::singleShot(300, gui.get(), [this] { gui->quitWithoutAsking(); });
    StdoutCapture capture;
    button("bscript")->click();
    QTRY_COMPARE_WITH_TIMEOUT(closedWith, 0, 20000);
    const std::string log = capture.finish();
    EXPECT_NE(log.find("Script stopped: the console is closing"), std::string::npos) << log;
    EXPECT_FALSE(port.sent(kRewind)) << "no script line runs after the quit";
    std::vector<Bytes> afterPlay;
    bool played = false;
    for (const Bytes& f : port.frames()) {
        if (played)
            afterPlay.push_back(f);
        played = played || f == kPlay;
    }
    EXPECT_EQ(afterPlay, (std::vector<Bytes>{kStop, kStop}));
    EXPECT_FALSE(vcr->getscriptactive());
}

TEST_F(ScriptStopTest, EscapeEndsTheScriptAndStopsTheDeck) {
    showWindow();
    QTimer::singleShot(300, gui.get(), [this] { QTest::keyClick(gui.get(), Qt::Key_Escape); });
    StdoutCapture capture;
    button("bscript")->click();
    const std::string log = capture.finish();
    EXPECT_NE(log.find("Script stopped by the operator"), std::string::npos) << log;
    EXPECT_FALSE(port.sent(kRewind));
    ASSERT_FALSE(port.frames().empty());
    EXPECT_EQ(port.frames().back(), kStop);
    EXPECT_EQ(closedWith, -1);
    EXPECT_TRUE(button("bplay")->isEnabled()) << "the controls are back";
}

}  // namespace
}  // namespace vemo::test
