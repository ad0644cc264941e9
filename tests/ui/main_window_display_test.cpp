// Display calls from the deck's threads, highlight bars, the window-thread wait and closing.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

#include "core/utils.h"
#include "ui/gui_wait.h"
#include "ui/main_window_fixture.h"
#include "ui/qt_clipboard.h"

namespace vemo::test {
namespace {

// A status reply with the given transport bytes s[3], s[4] and s[6].
serial::ExchangeResult statusReply(std::uint8_t s3, std::uint8_t s4, std::uint8_t s6) {
    return replyOf({0x79, 0x20, 0x00, s3, s4, 0x00, s6, 0x00, 0x00});
}

class DisplayTest : public MainWindowTest {
  protected:
    // Answers the status-sense frame with the given status bytes.
    void deckStatus(std::uint8_t s3, std::uint8_t s4 = 0, std::uint8_t s6 = 0) {
        port.setReply([=](const Bytes& f) {
            return f.size() == 4 && f[0] == 0x61 && f[1] == 0x20 ? statusReply(s3, s4, s6)
                                                                 : serial::ExchangeResult{};
        });
    }
    // Polls the status from another thread, as the polling thread does.
    void pollStatusFromThread() {
        std::thread t([this] { vcr->CommandStatus(); });
        t.join();
    }
    // The colour just above a control, where its highlight bar goes.
    QColor barColour(const char* name) {
        QImage image = gui->grab().toImage();
        QRect g = child(name)->geometry();
        return image.pixelColor(g.x() + g.width() / 2, g.y() - 1);
    }
};

TEST_F(DisplayTest, StatusRepliesHighlightControlsAndSurviveRepaints) {
    make("TAPE");
    showWindow();
    deckStatus(0x21);  // Play and Stop
    pollStatusFromThread();
    QTRY_COMPARE(status(), QString("Play Stop "));
    EXPECT_TRUE(gui->isHighlighted("bplay"));
    EXPECT_TRUE(gui->isHighlighted("bstop"));
    EXPECT_FALSE(gui->isHighlighted("bfwd"));
    gui->repaint();
    EXPECT_EQ(barColour("bplay"), QColor(Qt::red));
    EXPECT_EQ(barColour("bstop"), QColor(Qt::red));
    EXPECT_EQ(barColour("bfwd"), QColor(90, 170, 250));
    gui->hide();
    gui->show();
    QTest::qWait(20);
    EXPECT_EQ(barColour("bplay"), QColor(Qt::red)) << "a repaint keeps the bars";

    // The next reply clears the bars first.
    deckStatus(0x00, 0x11);  // Jog forward, cued up
    pollStatusFromThread();
    QTRY_COMPARE(status(), QString("Jog CuedUp "));
    EXPECT_FALSE(gui->isHighlighted("bplay"));
    EXPECT_TRUE(gui->isHighlighted("bjogf"));
    EXPECT_EQ(barColour("bplay"), QColor(90, 170, 250));
    EXPECT_EQ(barColour("bjogf"), QColor(Qt::red));

    deckStatus(0x02, 0x20);  // Rec and Shuttle
    pollStatusFromThread();
    QTRY_VERIFY(gui->isHighlighted("vsb"));
    EXPECT_TRUE(gui->isHighlighted("brecord"));
    EXPECT_FALSE(gui->isHighlighted("bjogf"));
}

// The deck standing still repeats the same status every eighth pass: the window is not
// repainted and the status line not set again, yet a text or a bar set meanwhile by other
// means is replaced by the next status read, as before.
TEST_F(DisplayTest, RepeatedStatusReadsCostTheWindowNothing) {
    make("TAPE");
    showWindow();
    deckStatus(0x21);  // Play and Stop
    pollStatusFromThread();
    QTRY_COMPARE(status(), QString("Play Stop "));
    QTRY_VERIFY(gui->isHighlighted("bstop"));
    QTest::qWait(200);  // the repaint for the first bars is over

    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    gui->installEventFilter(&counter);
    int sets = 0;
    QObject::connect(child<QLineEdit>("statusfield"), &QLineEdit::textChanged, gui.get(),
                     [&sets](const QString&) { ++sets; });
    for (int i = 0; i < 10; ++i)
        pollStatusFromThread();
    QTest::qWait(100);
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(sets, 0);
    EXPECT_EQ(status(), QString("Play Stop "));
    EXPECT_EQ(barColour("bstop"), QColor(Qt::red));

    // A word of the window's own and a bar lit directly go at the next status read.
    gui->ShowStatus("Rewind");
    gui->hilight(deck::Indicator::rewind);
    QTRY_COMPARE(status(), QString("Rewind"));
    QTRY_VERIFY(gui->isHighlighted("brew"));
    pollStatusFromThread();
    QTRY_COMPARE(status(), QString("Play Stop "));
    QTRY_VERIFY(!gui->isHighlighted("brew"));
    EXPECT_TRUE(gui->isHighlighted("bstop"));
    gui->removeEventFilter(&counter);
}

TEST_F(DisplayTest, RecorderShowsNoTapeHighlights) {
    make("LX1");
    showWindow();
    deckStatus(0x80, 0x30);  // standby, shuttle, jog: no meaning on the recorder
    pollStatusFromThread();
    QTest::qWait(50);
    EXPECT_FALSE(gui->isHighlighted("bsbyon"));
    EXPECT_FALSE(gui->isHighlighted("vsb"));
    EXPECT_FALSE(gui->isHighlighted("bjogf"));
}

TEST_F(DisplayTest, InOutHighlights) {
    make("TAPE");
    showWindow();
    gui->hilightinout(true, false);
    EXPECT_TRUE(gui->isHighlighted("cuefield"));
    EXPECT_FALSE(gui->isHighlighted("endfield"));
    EXPECT_EQ(barColour("cuefield"), QColor(Qt::red));
    gui->hilightinout(false, true);
    EXPECT_FALSE(gui->isHighlighted("cuefield"));
    EXPECT_TRUE(gui->isHighlighted("endfield"));
    gui->hilight(deck::Indicator::play);
    gui->clearbuttons();  // does not touch the in/out row
    EXPECT_TRUE(gui->isHighlighted("endfield"));
    EXPECT_FALSE(gui->isHighlighted("bplay"));
}

TEST_F(DisplayTest, CallsFromOtherThreadsLandOnTheWindowThread) {
    make("TAPE");
    showWindow();
    std::atomic<int> offThread{0};
    std::atomic<int> changes{0};
    auto watch = [&](QLineEdit* field) {
        QObject::connect(
            field, &QLineEdit::textChanged, field,
            [&](const QString&) {
                ++changes;
                if (QThread::currentThread() != qApp->thread())
                    ++offThread;
            },
            Qt::DirectConnection);
    };
    for (const char* name : {"statusfield", "tcfield", "cuefield", "endfield"}) {
        watch(child<QLineEdit>(name));
    }
    std::thread worker([this] {
        for (int i = 0; i < 200; ++i) {
            char tc[12];
            std::snprintf(tc, sizeof tc, "00:00:%02d:%02d", i / 30, i % 30);
            showTimeCode(tc);
            gui->ShowStatus("Play ");
        }
        vcr->fields().setCue("00:10:00:00");
        vcr->fields().setEnd("00:10:05:00");
        gui->hilight(deck::Indicator::fastForward);
        gui->setCueControlsEnabled(false);
        gui->EnableConnect(false);
        gui->ShowStatus("done");
    });
    worker.join();
    QTRY_COMPARE(status(), QString("done"));
    EXPECT_EQ(child<QLineEdit>("tcfield")->text(), QString("00:00:06:19"));
    EXPECT_EQ(child<QLineEdit>("cuefield")->text(), QString("00:10:00:00"));
    EXPECT_EQ(child<QLineEdit>("endfield")->text(), QString("00:10:05:00"));
    EXPECT_TRUE(gui->isHighlighted("bfwd"));
    EXPECT_FALSE(button("bcue")->isEnabled());
    EXPECT_FALSE(button("bconnect")->isEnabled());
    EXPECT_GT(changes.load(), 0);
    EXPECT_EQ(offThread.load(), 0);
}

// A text queued from the polling thread and a newer one shown at once on the window thread:
// the newer one stays, and asking for it again keeps it.
TEST_F(DisplayTest, TheNewestStatusTextStays) {
    make("TAPE");
    showWindow();
    std::thread poll([this] { gui->ShowStatus("Play "); });
    poll.join();
    gui->ShowStatus("Stop ");
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(status(), QString("Stop "));
    gui->ShowStatus("Stop ");
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(status(), QString("Stop "));
}

// A deck standing still: the same time code and lights on every poll cross to the window
// thread once, not once a poll.
TEST_F(DisplayTest, AStillDeckQueuesNothingToTheWindow) {
    make("TAPE");
    showWindow();
    struct QueuedCalls : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            count += event->type() == QEvent::MetaCall ? 1 : 0;
            return false;
        }
    } queued;
    gui->installEventFilter(&queued);
    std::thread poller([this] {
        for (int pass = 0; pass < 100; ++pass) {
            showTimeCode("00:01:00:00");
            gui->showIndicators({deck::Indicator::stop});
        }
    });
    poller.join();
    QCoreApplication::processEvents();
    // The time code's refresh, and the lights: cleared, then the one lit.
    EXPECT_LE(queued.count, 3);
    EXPECT_EQ(child<QLineEdit>("tcfield")->text(), QString("00:01:00:00"));
    EXPECT_TRUE(gui->isHighlighted("bstop"));
    gui->removeEventFilter(&queued);
}

TEST_F(DisplayTest, WindowThreadWaitKeepsShowingQueuedCalls) {
    make("TAPE");
    showWindow();
    std::atomic<bool> shownDuringWait{false};
    QObject::connect(child<QLineEdit>("statusfield"), &QLineEdit::textChanged, gui.get(),
                     [&](const QString& text) {
                         if (text == "during wait" && ui::guiWaiting())
                             shownDuringWait = true;
                     });
    std::thread worker([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gui->ShowStatus("during wait");
        showTimeCode("00:00:01:00");
    });
    vcr->DelayT(600);  // the controller's wait on the window thread
    worker.join();
    EXPECT_TRUE(shownDuringWait.load());
    EXPECT_FALSE(ui::guiWaiting());

    // Other threads simply sleep.
    bool hooked = true;
    std::thread other([&] { hooked = ui::guiWait(10); });
    other.join();
    EXPECT_FALSE(hooked);
}

TEST_F(DisplayTest, CloseDuringAWaitIsDeferredUntilItEnds) {
    make("TAPE");
    showWindow();
    int closedWith = -1;
    gui->onClosed = [&](int code) { closedWith = code; };
    QTimer::singleShot(50, gui.get(), [this] { gui->close(); });
    ui::guiWait(400);
    EXPECT_TRUE(gui->isVisible()) << "the close waits for the wait to end";
    EXPECT_TRUE(port.frames().empty());
    QTRY_VERIFY(!gui->isVisible());
    EXPECT_EQ(closedWith, 0);
    // stoponexit: stop twice, 500 ms apart.
    EXPECT_EQ(port.frames(), (std::vector<Bytes>{kStop, kStop}));
}

TEST_F(DisplayTest, CloseWithoutStopOnExitSendsNothing) {
    settings.stoponexit = false;
    make("TAPE");
    showWindow();
    int closedWith = -1;
    gui->onClosed = [&](int code) { closedWith = code; };
    gui->close();
    EXPECT_FALSE(gui->isVisible());
    EXPECT_EQ(closedWith, 0);
    EXPECT_TRUE(port.frames().empty());
}

TEST_F(DisplayTest, ClipboardTakesTimeCodesFromAnyThread) {
    make("TAPE");
    ui::QtClipboard sink;
    std::thread worker([&] { sink.setText("01:02:03:04\n"); });
    worker.join();
    QTRY_COMPARE(QGuiApplication::clipboard()->text(), QString("01:02:03:04\n"));
}

}  // namespace
}  // namespace vemo::test
