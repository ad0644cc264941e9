// Nothing the operator logged is lost: closing, loading over unsaved clips, a killed console,
// and a review-all the operator stops.
#include <signal.h>

#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "support/process.h"
#include "support/stdout_capture.h"
#include "ui/logger_fixture.h"
#include "ui/logger_layout.h"

namespace vemo::test {
namespace {

using ui::LoggerGUI;
namespace fs = std::filesystem;

// Logs clips the way the operator does: a time code on the deck, then ">" and "<".
void markClips(QWidget& window, deck::LocalVCR& vcr, int count) {
    for (int r = 0; r < count; ++r) {
        vcr.fields().setTC("00:0" + std::to_string(r) + ":10:00");
        window.findChild<QPushButton*>(QString::fromStdString(ui::logger::setinName(r)))->click();
        vcr.fields().setTC("00:0" + std::to_string(r) + ":20:00");
        window.findChild<QPushButton*>(QString::fromStdString(ui::logger::setoutName(r)))->click();
    }
}

// Offers a recovery file to a new logger window, which takes it; the entries offered.
int restore(LoggerGUI& next) {
    int offered = 0;
    next.askRestore = [&offered](int entries) {
        offered = entries;
        return true;
    };
    next.offerRecovery();
    return offered;
}

TEST_F(LoggerTest, ClosingTheMainWindowAsksAboutUnsavedClipsAndCancelKeepsAllRunning) {
    int closedWith = -1;
    gui->onClosed = [&closedWith](int code) { closedWith = code; };
    markClips(*logger, *vcr, 2);
    ASSERT_TRUE(fs::exists(recoveryFile()));
    port.clear();

    answer = LoggerGUI::SaveAnswer::Cancel;
    gui->close();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(closedWith, -1);
    EXPECT_FALSE(port.sent(kStop)) << "the deck is not stopped";
    EXPECT_TRUE(fs::exists(recoveryFile()));

    answer = LoggerGUI::SaveAnswer::Discard;
    gui->close();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(closedWith, 0);
    EXPECT_TRUE(port.sent(kStop));
    EXPECT_FALSE(fs::exists(recoveryFile())) << "an explicit discard removes the copy";
}

TEST_F(LoggerTest, AQuitNobodyCanAnswerKeepsTheClipsForTheNextStart) {
    markClips(*logger, *vcr, 1);
    StdoutCapture capture;
    gui->quitWithoutAsking();
    EXPECT_EQ(asked, 0);
    EXPECT_NE(
        capture.finish().find("Unsaved clips kept in " + fs::absolute(recoveryFile()).string()),
        std::string::npos);
    // The next logger window offers them back.
    LoggerGUI next(*vcr, recoveryFile());
    EXPECT_EQ(restore(next), 1);
    EXPECT_EQ(next.edl().table.SrcInArray[0], "00:00:10:00");
    EXPECT_EQ(next.edl().table.SrcOutArray[0], "00:00:20:00");
    EXPECT_TRUE(next.changed()) << "restored clips are in no file yet";
}

TEST_F(LoggerTest, LoadOverUnsavedClipsAsksFirstAndLeftoversStayUnsaved) {
    TempDir dir;
    dir.write("three.edl",
              "TITLE: three \r\n"
              "001  AX       V     C        00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00\r\n"
              "002  BX       V     C        00:01:00:00 00:01:30:00 01:00:02:00 01:00:32:00\r\n"
              "003  CX       V     C        00:02:00:00 00:02:30:00 01:00:32:00 01:01:02:00\r\n");
    chosenPath = dir.file("three.edl").string();
    markClips(*logger, *vcr, 5);

    answer = LoggerGUI::SaveAnswer::Cancel;
    press("LoadButton");
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(prompts.empty()) << "cancel asks for no file";
    EXPECT_EQ(table().SrcInArray[0], "00:00:10:00");

    answer = LoggerGUI::SaveAnswer::Discard;
    press("LoadButton");
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(table().ClipNameArray[2], "CX");
    EXPECT_EQ(table().SrcInArray[4], "00:04:10:00") << "entries past the file's keep their clips";
    EXPECT_TRUE(logger->changed());
    EXPECT_TRUE(fs::exists(recoveryFile()));
    logger->close();
    EXPECT_EQ(asked, 3) << "two clips are in no file: closing must ask";

    // A load that replaces every clip leaves nothing unsaved.
    dir.write("six.edl", "TITLE: six \r\n" + std::string(6, 'x'));
    LoggerGUI fresh(*vcr, recoveryFile());
    fresh.fileChooser = [&](const std::string&, bool) { return dir.file("three.edl").string(); };
    fresh.loadEDL();
    EXPECT_FALSE(fresh.changed());
}

TEST_F(LoggerTest, FailedLoadIsShownInADialog) {
    chosenPath = recoveryDir.file("missing.edl").string();
    press("LoadButton");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("EDL not loaded: " + chosenPath + ": FileStreamError: ", 0), 0u)
        << errors[0];
    EXPECT_TRUE(gui->showingError());
}

// The child of the test below: a logger that marks three clips, says so, and waits to be
// killed. It runs only when the test starts it.
TEST(LoggerRecoveryChild, MarkClipsAndWaitToBeKilled) {
    const char* where = std::getenv("VEMO_RECOVERY_CHILD_DIR");
    if (where == nullptr)
        GTEST_SKIP() << "started by LoggerRecovery.KilledConsoleOffersItsClipsAtTheNextStart";
    FakeCommandPort port;
    deck::LocalVCR vcr(&port, core::Settings::forDeck("RECON"));
    LoggerGUI logger(vcr, fs::path(where) / "VemoRecovery.txt");
    logger.show();
    markClips(logger, vcr, 3);
    writeFile(fs::path(where) / "ready", "ready");
    for (;;)
        QTest::qWait(100);
}

TEST(LoggerRecovery, KilledConsoleOffersItsClipsAtTheNextStart) {
    TempDir dir;
    ChildProcess child("/proc/self/exe", {"--gtest_filter=LoggerRecoveryChild.*"}, dir.path(),
                       {"VEMO_RECOVERY_CHILD_DIR=" + dir.path().string()});
    ASSERT_TRUE(waitFor([&] { return fs::exists(dir.file("ready")); }, std::chrono::seconds(60)));
    ::kill(child.pid(), SIGKILL);
    ASSERT_EQ(child.wait(std::chrono::seconds(20)), 128 + SIGKILL);

    FakeCommandPort port;
    deck::LocalVCR vcr(&port, core::Settings{});
    LoggerGUI next(vcr, dir.file("VemoRecovery.txt"));
    EXPECT_EQ(restore(next), 3);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(next.edl().table.SrcInArray[r], "00:0" + std::to_string(r) + ":10:00");
        EXPECT_EQ(next.edl().table.SrcOutArray[r], "00:0" + std::to_string(r) + ":20:00");
    }
    // Declining discards them, so they are not offered again.
    LoggerGUI declined(vcr, dir.file("VemoRecovery.txt"));
    declined.askRestore = [](int) { return false; };
    declined.offerRecovery();
    EXPECT_FALSE(fs::exists(dir.file("VemoRecovery.txt")));
}

// Input during a review-all is dropped, not replayed; Esc or Stop ends the sequence at once.
TEST_F(LoggerTest, ReviewAllDropsInputAndStopsOnEscOrStop) {
    for (bool byEscape : {true, false}) {
        SCOPED_TRACE(byEscape ? "Esc" : "Stop button");
        // Every cue complete, but the time code never moves: each review waits.
        port.setReply(pollingDeck({0, 0, 0, 0}, 0x01));
        vcr->GetTC();
        auto& t = logger->edl().table;
        t.SrcInArray[0] = "00:00:10:00";
        t.SrcOutArray[0] = "00:00:20:00";
        t.SrcInArray[1] = "00:01:00:00";
        t.SrcOutArray[1] = "00:01:10:00";
        port.clear();
        QPushButton* forward = gui->findChild<QPushButton*>("bfwd");
        QPushButton* stop = gui->findChild<QPushButton*>("bstop");
        bool forwardLookedDisabled = false;
        QTimer::singleShot(300, gui.get(), [&] {
            forwardLookedDisabled = !forward->isEnabled() && stop->isEnabled();
            QTest::mouseClick(forward, Qt::LeftButton);
        });
        QTimer::singleShot(700, gui.get(), [&] {
            if (byEscape)
                QTest::keyClick(logger.data(), Qt::Key_Escape);
            else
                QTest::mouseClick(stop, Qt::LeftButton);
        });
        StdoutCapture capture;
        press("RevAllButton");
        const std::string log = capture.finish();
        QTest::qWait(200);  // anything still queued would run now

        EXPECT_TRUE(forwardLookedDisabled);
        EXPECT_FALSE(port.sent(kForward)) << "the click during the review is dropped";
        EXPECT_TRUE(port.sent(kStop));
        EXPECT_EQ(vcr->fields().cue(), "00:00:10:00") << "the second clip is not reviewed";
        EXPECT_NE(log.find("Review ALL stopped by the operator"), std::string::npos);
        EXPECT_FALSE(vcr->getscriptactive());
        QTRY_VERIFY(forward->isEnabled());
        vcr->stopPolling();
    }
}

}  // namespace
}  // namespace vemo::test
