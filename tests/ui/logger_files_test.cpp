// The logger window's load, save, review and closing.
#include <filesystem>

#include "support/temp_dir.h"
#include "ui/logger_fixture.h"

namespace vemo::test {
namespace {

using ui::LoggerGUI;

const std::string kEdl =
    "TITLE: clips.txt \r\n"
    "FCM: NON-DROP FRAME \r\n"
    "001  AX       V     C        00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00\r\n"
    "002  BX       V     C        00:01:00:00 00:01:30:00 01:00:02:00 01:00:32:00\r\n";

TEST_F(LoggerTest, LoadShowsTheListFromEntryOneAndRestartsTheMarks) {
    TempDir dir;
    dir.write("clips.txt", kEdl);
    scrollTo(30);
    markIn();
    markOut();
    chosenPath = dir.file("clips.txt").string();
    press("LoadButton");
    EXPECT_EQ(prompts, std::vector<std::string>{"Load Standard EDL"});
    EXPECT_EQ(saves, std::vector<bool>{false});
    EXPECT_EQ(child<QScrollBar>("vsb")->value(), 0);
    EXPECT_EQ(logger->vsbval(), 0);
    EXPECT_EQ(logger->offset(), 0);
    EXPECT_EQ(text("edit0"), "001");
    EXPECT_EQ(text("name0"), "AX");
    EXPECT_EQ(text("in0"), "00:00:05:00");
    EXPECT_EQ(text("out0"), "00:00:07:00");
    EXPECT_EQ(text("name1"), "BX");
    EXPECT_EQ(text("out1"), "00:01:30:00");
    EXPECT_EQ(text("name2"), "Name03");
    EXPECT_EQ(logger->edl().savename, "clips.txt");
    EXPECT_FALSE(logger->changed()) << "the loaded clips are the saved ones";

    // The next mark goes to entry 1.
    vcr->fields().setTC("00:00:06:00");
    markIn();
    EXPECT_EQ(table().SrcInArray[0], "00:00:06:00");
    EXPECT_TRUE(logger->changed());
}

TEST_F(LoggerTest, ListOfAnotherRateLoadsWithAWarning) {
    TempDir dir;
    std::string dropFrame = kEdl;
    dropFrame.replace(dropFrame.find("NON-DROP"), 8, "DROP");
    dir.write("df.txt", dropFrame);
    chosenPath = dir.file("df.txt").string();
    press("LoadButton");
    EXPECT_EQ(text("name1"), "BX");
    EXPECT_NE(status().find("EDL loaded: 2 events from "), std::string::npos) << status();
    EXPECT_NE(status().find("another frame rate (it is drop-frame)"), std::string::npos);
    EXPECT_TRUE(errors.empty());
}

TEST_F(LoggerTest, CancelledDialogsDoNothing) {
    vcr->fields().setTC("00:00:03:00");
    press("setin2");
    gui->ShowStatus("before");
    chosenPath.clear();
    answer = LoggerGUI::SaveAnswer::Discard;  // the unsaved clip does not stop the load
    press("LoadButton");
    press("SaveButton");
    EXPECT_EQ(prompts, (std::vector<std::string>{"Load Standard EDL", "Save Standard EDL"}));
    EXPECT_EQ(saves, (std::vector<bool>{false, true}));
    EXPECT_EQ(table().SrcInArray[2], "00:00:03:00");
    EXPECT_EQ(logger->edl().savename, "");
    EXPECT_TRUE(logger->changed());
    QCoreApplication::processEvents();
    EXPECT_EQ(status(), "before");
}

TEST_F(LoggerTest, SaveWritesTheListUnderTheChosenName) {
    TempDir dir;
    vcr->fields().setTC("00:00:10:00");
    press("setin0");
    vcr->fields().setTC("00:00:20:15");
    press("setout0");
    chosenPath = dir.file("edl.txt").string();
    press("SaveButton");
    std::string written = dir.read("edl.txt");
    EXPECT_EQ(written.substr(0, 17), "TITLE: edl.txt \r\n");
    EXPECT_NE(written.find("001  Name01    AA/V  C        00:00:10:00 00:00:20:15 01:00:00:00 "
                           "01:00:10:15 \r\n"),
              std::string::npos)
        << written;
    EXPECT_FALSE(logger->changed());
}

TEST_F(LoggerTest, ExportWritesTheListInTheFormatOfTheChosenExtension) {
    TempDir dir;
    fillClips(3);
    logger->edl().table.ClipNameArray[1].clear();  // left out, and said so
    chosenPath = dir.file("clips.csv").string();
    press("ExportButton");
    EXPECT_EQ(prompts, std::vector<std::string>{LoggerGUI::ExportPrompt});
    EXPECT_EQ(saves, std::vector<bool>{true});
    const std::string csv = dir.read("clips.csv");
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "Edit,Name,Reel,In,Out,Duration,Duration Frames");
    EXPECT_NE(csv.find("\r\n3,Name03,Name03,00:03:00:00,00:03:01:00,00:00:01:00,30\r\n"),
              std::string::npos)
        << csv;
    EXPECT_EQ(csv.find("\r\n2,"), std::string::npos);
    QCoreApplication::processEvents();
    EXPECT_EQ(status(),
              "2 clips exported as CSV in " + chosenPath + "; 1 entry left out (entry 2: no name)");
    EXPECT_TRUE(logger->changed());  // an export is no save

    chosenPath = dir.file("clips.mov").string();
    press("ExportButton");
    EXPECT_EQ(errors, std::vector<std::string>{"Export not written: " + chosenPath +
                                               ": name the file .ale, .otio or .csv"});
}

TEST_F(LoggerTest, SaveWithABadEntryKeepsTheOldFileAndSaysWhichInADialog) {
    TempDir dir;
    dir.write("edl.txt", "a good list\r\n");
    QLineEdit* in = field("in0");
    in->clear();
    QTest::keyClicks(in, "12:3x");
    QTest::keyClick(in, Qt::Key_Return);
    EXPECT_EQ(table().SrcInArray[0], "12:3x") << "stored as typed";
    EXPECT_TRUE(in->property("invalidTime").toBool()) << "shown in the warning colour";

    chosenPath = dir.file("edl.txt").string();
    press("SaveButton");
    const std::string expected = "EDL not saved: entry 1 has an invalid source in: \"12:3x\"";
    EXPECT_EQ(errors, std::vector<std::string>{expected});
    EXPECT_EQ(status(), expected);
    EXPECT_TRUE(gui->showingError());
    EXPECT_EQ(dir.read("edl.txt"), "a good list\r\n");
    EXPECT_TRUE(logger->changed());

    // Corrected, the save goes through and says so in the ordinary colour.
    in->clear();
    QTest::keyClicks(in, "00:00:01:00");
    QTest::keyClick(in, Qt::Key_Return);
    EXPECT_FALSE(in->property("invalidTime").toBool());
    press("SaveButton");
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_FALSE(logger->changed());
    EXPECT_FALSE(std::filesystem::exists(recoveryFile()));
}

// The console lists the open logger's clips elsewhere: it is told of the table at every
// change, and told when the window has gone.
TEST_F(LoggerTest, TheTableIsWatchedWhileTheWindowIsOpen) {
    ASSERT_FALSE(watched.empty());
    EXPECT_EQ(watched.back(), "00:00:00:00");
    vcr->fields().setTC("00:00:03:00");
    press("setin0");
    EXPECT_EQ(watched.back(), "00:00:03:00");
    answer = LoggerGUI::SaveAnswer::Discard;
    EXPECT_TRUE(logger->close());
    QCoreApplication::processEvents();
    EXPECT_EQ(watched.back(), "closed");
}

TEST_F(LoggerTest, ClosingWithChangedClipsAsksFirst) {
    TempDir dir;
    vcr->fields().setTC("00:00:03:00");
    press("setin0");

    answer = LoggerGUI::SaveAnswer::Cancel;
    EXPECT_FALSE(logger->close());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(logger->isVisible());

    // Save, then cancelling the save dialog: still open, nothing written.
    answer = LoggerGUI::SaveAnswer::Save;
    chosenPath.clear();
    EXPECT_FALSE(logger->close());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(prompts, std::vector<std::string>{"Save Standard EDL"});
    EXPECT_TRUE(logger->isVisible());
    QCoreApplication::processEvents();
    EXPECT_FALSE(logger.isNull());
    EXPECT_NE(vcr->loggerMarks(), nullptr);

    // Save to a file that cannot be written: still open.
    chosenPath = (dir.path() / "missing" / "edl.txt").string();
    EXPECT_FALSE(logger->close());
    EXPECT_TRUE(logger->isVisible());

    chosenPath = dir.file("edl.txt").string();
    EXPECT_TRUE(logger->close());
    EXPECT_TRUE(std::filesystem::exists(dir.file("edl.txt")));
    QTRY_VERIFY(logger.isNull());
    EXPECT_TRUE(gui->findChild<QPushButton*>("blogger")->isEnabled());
}

TEST_F(LoggerTest, DiscardClosesAndUnchangedClipsCloseWithoutAsking) {
    press("setin0");  // the same time again: nothing changed
    EXPECT_TRUE(logger->close());
    EXPECT_EQ(asked, 0);
    QTRY_VERIFY(logger.isNull());

    open();
    vcr->fields().setTC("00:00:09:00");
    press("setout4");
    answer = LoggerGUI::SaveAnswer::Discard;
    EXPECT_TRUE(logger->close());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(prompts.empty());
    QTRY_VERIFY(logger.isNull());
    EXPECT_EQ(vcr->loggerMarks(), nullptr);
}

TEST_F(LoggerTest, ClosingWhileADialogIsOpenWaitsForIt) {
    TempDir dir;
    dir.write("clips.txt", kEdl);
    bool closedDuringDialog = true;
    logger->fileChooser = [&](const std::string&, bool) {
        logger->close();
        closedDuringDialog = !logger->isVisible();
        return dir.file("clips.txt").string();
    };
    press("LoadButton");
    EXPECT_FALSE(closedDuringDialog);
    EXPECT_EQ(text("name1"), "BX") << "the load finished first";
    // Nothing changed since the load: the window then goes without asking.
    QTRY_VERIFY(logger.isNull());
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(gui->findChild<QPushButton*>("blogger")->isEnabled());
}

TEST_F(LoggerTest, ReviewHandsRowZerosClipToTheDeck) {
    scrollTo(4);
    vcr->fields().setTC("00:00:10:00");
    press("setin0");
    vcr->fields().setTC("00:00:12:00");
    press("setout0");
    port.clear();
    press("ReviewButton");
    EXPECT_EQ(vcr->fields().cue(), "00:00:10:00");
    EXPECT_EQ(vcr->fields().end(), "00:00:12:00");
    EXPECT_EQ(vcr->duration(), 60);
    EXPECT_FALSE(vcr->getscriptactive());
    // The review runs on: stop first, then the cue to the in point.
    QTRY_VERIFY(port.sent({0x24, 0x31, 0x00, 0x10, 0x00, 0x00, 0x65}));
    EXPECT_EQ(port.frames().front(), (Bytes{0x20, 0x00, 0x20}));
}

TEST_F(LoggerTest, ReviewAllOnAFreshTableReviewsNothing) {
    port.clear();
    press("RevAllButton");
    EXPECT_TRUE(port.frames().empty());
    EXPECT_FALSE(vcr->getscriptactive());
}

TEST_F(LoggerTest, ReviewAllEndsSequencedModeWhenAClipCannotBeReviewed) {
    QLineEdit* in = field("in0");
    in->clear();
    QTest::keyClicks(in, "bad");
    QTest::keyClick(in, Qt::Key_Return);
    QLineEdit* out = field("out0");
    out->clear();
    QTest::keyClicks(out, "00:00:10:00");
    QTest::keyClick(out, Qt::Key_Return);
    press("RevAllButton");
    EXPECT_FALSE(vcr->getscriptactive());
    QTRY_COMPARE(QString::fromStdString(status()), QString("Cue point is not a time code: bad"));
}

TEST_F(LoggerTest, ReviewAllPlaysEachClipInTurnUpToTheFirstWithoutAnOut) {
    deckPastEveryClip();
    fillClips(2);
    logger->edl().table.SrcInArray[3] = "00:05:00:00";  // past the end of the list
    logger->edl().table.SrcOutArray[3] = "00:06:00:00";
    press("RevAllButton");
    EXPECT_FALSE(vcr->getscriptactive());
    std::vector<Bytes> cues;
    for (const Bytes& f : port.frames()) {
        if (f.size() == 7 && f[0] == 0x24 && f[1] == 0x31)
            cues.push_back(Bytes(f.begin() + 2, f.begin() + 6));
    }
    EXPECT_EQ(cues, (std::vector<Bytes>{{0x00, 0x00, 0x01, 0x00}, {0x00, 0x00, 0x02, 0x00}}));
    EXPECT_EQ(vcr->fields().cue(), "00:02:00:00");
    EXPECT_EQ(vcr->fields().end(), "00:02:01:00");
}

}  // namespace
}  // namespace vemo::test
