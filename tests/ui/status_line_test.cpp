// The main window's status line: every text readable from its start, failures and notices
// held from the moment they are painted, a review-all that says which clip plays, and the
// controls of a sequence greyed alike.
#include <QImage>
#include <QTimer>
#include <functional>
#include <set>
#include <utility>

#include "remote/dispatcher.h"
#include "support/stdout_capture.h"
#include "support/temp_dir.h"
#include "ui/logger_fixture.h"
#include "ui/main_window_fixture.h"
#include "ui/script_sequence.h"
#include "ui/status_tooltip.h"

namespace vemo::test {
namespace {

const QString kRangeError(
    "Cue point is out of range: 99:99:99:99 (minutes and seconds 00-59, frames 00-29)");

// The field shows the text from its first character, and the whole text in its tooltip.
void expectShowsStart(QLineEdit* field, const QString& text) {
    EXPECT_EQ(field->text(), text);
    EXPECT_GT(field->fontMetrics().horizontalAdvance(text), field->width()) << "a long text";
    EXPECT_EQ(field->cursorPosition(), 0);
    // Where the first character stands: at the left edge, not scrolled out of sight.
    EXPECT_LT(field->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), 10);
    EXPECT_EQ(field->toolTip(), text);
}

// The operator types an in point into the window and presses Enter.
void enterInPoint(QLineEdit* cuefield, const QString& text) {
    cuefield->setText(text);
    QTest::keyClick(cuefield, Qt::Key_Return);
}

TEST_F(MainWindowTest, LongTextsShowTheirStartAndTheWholeTextInTheTooltip) {
    make("TAPE");
    showWindow();
    auto* field = child<QLineEdit>("statusfield");
    enterInPoint(child<QLineEdit>("cuefield"), "99:99:99:99");
    ASSERT_TRUE(QTest::qWaitFor([&] { return status() == kRangeError; }));
    expectShowsStart(field, kRangeError);
    const QString stalled("Deck not answering: unable to write to the serial port");
    gui->ShowError(stalled.toStdString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return status() == stalled; }));
    expectShowsStart(field, stalled);
}

// Measured as the operator sees it: from the first paint of the failure to the first paint
// of the status poll's text after it.
TEST_F(MainWindowTest, ARefusedTimeIsHeldFiveSecondsFromItsFirstPaint) {
    make("TAPE");
    showWindow();
    port.setReply(pollingDeck({0, 0, 0, 0}, 0x01));
    vcr->GetTC();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !status().isEmpty(); }));
    PaintLog paints(child<QLineEdit>("statusfield"));
    enterInPoint(child<QLineEdit>("cuefield"), "99:99:99:99");
    ASSERT_TRUE(QTest::qWaitFor([&] { return paints.shownFor(kRangeError).has_value(); }, 30000));
    EXPECT_GE(*paints.shownFor(kRangeError), ui::LocalGUI::kErrorHoldMs);
}

// Each entry a time text comes by; each refusal is one log line with its reason. (The
// texts differ, as the log writes a repeated line only once.)
TEST_F(MainWindowTest, EveryRefusedTimeIsOneLogLineWithItsReason) {
    make("TAPE");
    TempDir dir;
    dir.write("Script.txt", "tc100:00:00:30\nQuit\n");
    remote::Dispatcher dispatcher(*vcr);
    const std::string range = " (minutes and seconds 00-59, frames 00-29)";
    struct Entry {
        const char* name;
        std::function<void()> enter;
        std::string reason;
    };
    for (const Entry& e : {
             Entry{"window", [&] { enterInPoint(child<QLineEdit>("cuefield"), "99:99:99:99"); },
                   kRangeError.toStdString()},
             Entry{"tc1", [&] { dispatcher.ParseNetCommand("tc100:61:00:00"); },
                   "Cue point is out of range: 00:61:00:00" + range},
             Entry{"tc2", [&] { dispatcher.ParseNetCommand("tc200:00:99:00"); },
                   "Out point is out of range: 00:00:99:00" + range},
             Entry{"script", [&] { ui::runScript(*vcr, dir.file("Script.txt")); },
                   "Cue point is out of range: 00:00:00:30" + range},
             Entry{"not a time", [&] { dispatcher.ParseNetCommand("tc100:00:1x:00"); },
                   "Cue point is not a time code: 00:00:1x:00"},
         }) {
        StdoutCapture capture;
        e.enter();
        QCoreApplication::processEvents();
        const std::vector<std::string> lines = capture.lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), e.reason), 1) << e.name << ":\n"
                                                                       << capture.finish();
        EXPECT_EQ(status().toStdString(), e.reason) << e.name;
    }
}

TEST_F(MainWindowTest, AReviewWithItsOutPointBeforeItsInPointShowsTheFailure) {
    make("RECON");
    showWindow();
    port.setReply(pollingDeck({0, 0, 0, 0}, 0x01));
    vcr->GetTC();
    vcr->fields().setCue("00:01:00:00");
    vcr->fields().setEnd("00:00:30:00");
    QTest::mouseClick(button("breview"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "No Review is possible"; }));
    EXPECT_TRUE(gui->showingError());
    QTest::qWait(1000);  // the cue to the in point and the poll go on meanwhile
    EXPECT_EQ(status(), QString("No Review is possible"));
}

TEST_F(MainWindowTest, AReviewsLengthKeepsItsTextAndTheTooltipGivesUnitAndTime) {
    make("RECON");
    showWindow();
    std::vector<std::pair<QString, QString>> shown;  // text, tooltip
    auto* field = child<QLineEdit>("statusfield");
    QObject::connect(field, &QLineEdit::textChanged, field,
                     [&](const QString& text) { shown.emplace_back(text, field->toolTip()); });
    vcr->fields().setCue("00:00:10:00");
    vcr->fields().setEnd("00:00:13:01");
    QTest::mouseClick(button("breview"), Qt::LeftButton);
    const std::pair<QString, QString> length{"Reviewing Clip of Duration= 91",
                                             "Reviewing Clip of Duration= 91 frames, 00:00:03:01"};
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return std::find(shown.begin(), shown.end(), length) != shown.end(); }));
}

TEST(StatusToolTip, AddsUnitAndTimeToAReviewsLengthOnly) {
    struct Case {
        const char* text;
        core::FrameRate rate;
        const char* tip;
    };
    for (const Case& c : {
             Case{"Reviewing Clip of Duration= 91", core::FrameRate::Fps25,
                  "Reviewing Clip of Duration= 91 frames, 00:00:03:16"},
             Case{"Reviewing Clip of Duration= -30", core::FrameRate::Fps30,
                  "Reviewing Clip of Duration= -30 frames, -00:00:01:00"},
             Case{"Reviewing Clip of Duration= x", core::FrameRate::Fps30,
                  "Reviewing Clip of Duration= x"},
             Case{"Play ", core::FrameRate::Fps30, "Play "},
         }) {
        EXPECT_EQ(ui::statusToolTip(c.text, c.rate), QString(c.tip)) << c.text;
    }
}

TEST_F(LoggerTest, ASaveIsHeldTwoSecondsAgainstThePollInTheUsualColours) {
    gui->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(gui.get()));
    port.setReply(pollingDeck({0, 0, 0, 0}, 0x01));
    vcr->GetTC();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !status().empty(); }));
    fillClips(2);
    chosenPath = recoveryDir.file("clips2.edl").string();
    const QString saved = QString::fromStdString("EDL saved: 2 events in " + chosenPath);
    PaintLog paints(statusField());
    press("SaveButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QString::fromStdString(status()) == saved; }));
    expectShowsStart(statusField(), saved);
    EXPECT_FALSE(gui->showingError());
    ASSERT_TRUE(QTest::qWaitFor([&] { return paints.shownFor(saved).has_value(); }, 30000));
    EXPECT_GE(*paints.shownFor(saved), ui::LocalGUI::kNoticeHoldMs);
}

TEST_F(LoggerTest, ReviewAllSaysWhichClipPlaysAndGreysItsControlsAlike) {
    // Every cue complete, but the time code never moves: the first review waits.
    port.setReply(pollingDeck({0, 0, 0, 0}, 0x01));
    vcr->GetTC();
    fillClips(3);
    logger->edl().table.ClipNameArray[0] = "Harbour";
    std::string during;
    std::set<std::pair<QRgb, QRgb>> greyedLooks;  // face and caption of disabled buttons
    int greyed = 0;
    int redInRec = 0;
    std::vector<int> faces;  // lightness of greyed buttons' faces
    QTimer::singleShot(500, gui.get(), [&] {
        during = status();
        for (QWidget* window :
             {static_cast<QWidget*>(gui.get()), static_cast<QWidget*>(logger.data())}) {
            for (QPushButton* b : window->findChildren<QPushButton*>()) {
                if (!b->isVisible() || b->isEnabled())
                    continue;
                ++greyed;
                const QPalette& p = b->palette();
                greyedLooks.emplace(p.color(QPalette::Disabled, QPalette::Button).rgb(),
                                    p.color(QPalette::Disabled, QPalette::ButtonText).rgb());
            }
        }
        const QImage rec = gui->findChild<QPushButton*>("brecord")->grab().toImage();
        for (int y = 0; y < rec.height(); ++y) {
            for (int x = 0; x < rec.width(); ++x) {
                const QColor c = rec.pixelColor(x, y);
                redInRec += c.red() > 180 && c.green() < 90 && c.blue() < 90 ? 1 : 0;
            }
        }
        // As drawn: the face of a greyed button of either window is dark.
        for (QPushButton* b :
             {gui->findChild<QPushButton*>("bplay"), gui->findChild<QPushButton*>("bcue"),
              logger->findChild<QPushButton*>("LoadButton")}) {
            const QImage face = b->grab().toImage();
            faces.push_back(face.pixelColor(4, face.height() / 2).lightness());
        }
        QTest::mouseClick(gui->findChild<QPushButton*>("bstop"), Qt::LeftButton);
    });
    press("RevAllButton");
    EXPECT_EQ(during, "Reviewing 1 of 3: Harbour");
    EXPECT_GT(greyed, 20);
    EXPECT_EQ(greyedLooks.size(), 1u) << "every greyed control looks the same";
    EXPECT_EQ(redInRec, 0) << "REC's red caption is greyed too";
    EXPECT_EQ(faces.size(), 3u);
    for (int lightness : faces)
        EXPECT_LT(lightness, 128);
    EXPECT_TRUE(QTest::qWaitFor([&] { return status() != during; }))
        << "the sequence's text goes with it";
}

}  // namespace
}  // namespace vemo::test
