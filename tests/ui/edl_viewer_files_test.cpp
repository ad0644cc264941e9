// The EDL maker's load and save: real files, the dialogs answered, the message waits.
#include <QLabel>
#include <QTimer>
#include <chrono>
#include <filesystem>

#include "support/process.h"
#include "ui/edl_viewer_fixture.h"

namespace vemo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::string crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

TEST_F(EdlViewerTest, SavedFileIsTheBuiltListNotTheTypedText) {
    ui::EDLViewer* w = open();
    load(w);
    auto* out = child<QPlainTextEdit>(w, "outarea");
    out->moveCursor(QTextCursor::End);
    QTest::keyClicks(out, "000 REC TYPED");
    ASSERT_THAT(out->toPlainText().toStdString(), HasSubstr("TYPED"));

    save(w);
    const std::string saved = dir.read("out.edl");
    EXPECT_EQ(saved, w->engine().edltext(true));
    EXPECT_EQ(saved, crlf({kHeader, "000 INI", kRec1 + "STOP", kRec2 + "STOP", kRec3 + "STOP",
                           "000 FNL"}));
    EXPECT_THAT(saved, Not(HasSubstr("TYPED")));
}

// Events the list cannot take are named under the areas; the source is never replaced.
TEST_F(EdlViewerTest, LeftOutEventsAreShownAndTheSourceIsKept) {
    settings.frameRate = core::FrameRate::Fps25;
    settings.skipAudioOnly = true;
    dir.write(
        "pal.edl",
        kThreeEvents +
            "004  AX       V     C        00:07:00:00 00:07:00:25 01:03:00:00 01:03:01:00\r\n"
            "005  AX       A     C        00:08:00:00 00:08:01:00 01:03:01:00 01:03:02:00\r\n");
    ui::EDLViewer* w = open();
    auto* report = child<QLabel>(w, "report");
    EXPECT_TRUE(report->isHidden());
    load(w, "pal.edl");
    EXPECT_EQ(output(w), (std::vector<std::string>{kHeader, "000 INI", kRec1 + "STOP",
                                                   kRec2 + "STOP", kRec3 + "STOP", "000 FNL"}));
    EXPECT_FALSE(report->isHidden());
    EXPECT_EQ(report->text().toStdString(),
              "line 7: source out 00:07:00:25 is not a time code at 25 fps, event left out");

    save(w, "pal.edl");
    EXPECT_EQ(failures.size(), 1u);
    EXPECT_THAT(failures.back(), HasSubstr("that is the source EDL itself"));
    EXPECT_THAT(dir.read("pal.edl"), HasSubstr("00:07:00:25"));

    load(w);
    EXPECT_TRUE(report->isHidden());
}

TEST_F(EdlViewerTest, PauseThenSaveEndsWithAStoppingRecording) {
    ui::EDLViewer* w = open();
    load(w);
    click(w, "bpause");
    ASSERT_EQ(output(w)[4], kRec3 + "PAUSE");
    save(w);
    EXPECT_EQ(dir.read("out.edl"), crlf({kHeader, "000 INI", kRec1 + "STOP", kRec2 + "STOP",
                                         kRec3 + "STOP", "000 FNL"}));
    // The list shown has had the same final fix-up.
    EXPECT_EQ(output(w)[4], kRec3 + "STOP");
}

TEST_F(EdlViewerTest, CancelledDialogsReadAndWriteNothing) {
    ui::EDLViewer* w = open();
    load(w);
    ASSERT_FALSE(source(w).empty());
    answer(w, {""});
    click(w, "bload");
    EXPECT_EQ(source(w), "");
    EXPECT_EQ(w->engine().rawlinecount, 0);
    EXPECT_THAT(output(w), ElementsAre(kHeader, "000 INI", "000 FNL"));
    // The folder of the last file chosen is kept for the next dialog.
    EXPECT_EQ(w->directory(), dir.path().string());

    answer(w, {""});
    click(w, "bsave");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(EdlViewerTest, DialogsStartInTheLastFolderAndShareTheRecentFiles) {
    ui::RecentFiles recent;
    std::vector<std::tuple<QString, std::string, const ui::RecentFiles*>> asked;
    const std::string folder = dir.path().string();
    auto answerFrom = [&asked, folder](ui::EDLViewer* w) {
        w->chooser = [&asked, folder](
                         QWidget*, ui::FileDialogMode, const QString& title,
                         const std::string& start,
                         const ui::RecentFiles* offered) -> std::optional<ui::FileChoice> {
            asked.emplace_back(title, start, offered);
            return ui::FileChoice{folder, "three.edl"};
        };
    };
    ui::EDLViewer* w = open();
    answerFrom(w);
    click(w, "bload");
    click(w, "bsave");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], std::make_tuple(QStringLiteral("Open File"), std::string(), nullptr));
    EXPECT_EQ(asked[1], std::make_tuple(QStringLiteral("Save File"), folder, nullptr));

    // Windows sharing the console's recent files: a new one starts where the last chose.
    asked.clear();
    w->recent = &recent;
    click(w, "bload");
    ui::EDLViewer* second = open();
    second->recent = &recent;
    answerFrom(second);
    click(second, "bload");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(std::get<1>(asked[1]), folder);
    EXPECT_EQ(std::get<2>(asked[1]), &recent) << "the dialog is given them to offer";
    EXPECT_EQ(recent.files(), std::vector<std::filesystem::path>{dir.file("three.edl")});
}

TEST_F(EdlViewerTest, MissingFileMessageWaitKeepsTheWindowsAlive) {
    ui::EDLViewer* w = open();
    ui::EDLViewer* other = open();
    std::string shownDuringWait;
    std::string otherDuringWait;
    // Runs from the message wait: queued calls get through while the operator cannot act.
    QTimer::singleShot(300, w, [&] {
        shownDuringWait = source(w);
        w->actionPerformed("auto");  // another operation of the same window is refused
        other->actionPerformed("auto");
        otherDuringWait = output(other).back();
    });
    const auto started = std::chrono::steady_clock::now();
    load(w, "missing.edl");
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2900));
    EXPECT_EQ(shownDuringWait, "EDL file not found!");
    ASSERT_EQ(failures.size(), 1u) << "the failure is also shown in a dialog, after the wait";
    EXPECT_EQ(failures[0].rfind("EDL file not found! ", 0), 0u) << failures[0];
    EXPECT_EQ(otherDuringWait, "000 FNL");
    EXPECT_EQ(source(w), "");
    EXPECT_THAT(output(w), ElementsAre(kHeader, "000 INI", "000 FNL"));
}

TEST_F(EdlViewerTest, ClosingDuringTheMessageWaitWaitsForTheLoadToEnd) {
    QPointer<ui::EDLViewer> w = open();
    bool aliveAfterClose = false;
    QTimer::singleShot(300, w, [&] {
        w->close();
        QCoreApplication::processEvents();
        aliveAfterClose = !w.isNull() && !w->isVisible();
    });
    load(w, "missing.edl");
    EXPECT_TRUE(aliveAfterClose);
    QTRY_VERIFY(w.isNull());
}

TEST_F(EdlViewerTest, OptionBoxChangedDuringAnOperationKeepsTheOption) {
    ui::EDLViewer* w = open();
    QTimer::singleShot(300, w, [&] { box(w, "useini")->setChecked(false); });
    load(w, "missing.edl");
    EXPECT_TRUE(box(w, "useini")->isChecked());
    EXPECT_TRUE(w->engine().initialize);
}

// The window writes the same bytes as the command-line converter with the same options.
TEST_F(EdlViewerTest, SavedFileMatchesTheCommandLineConverter) {
    const auto tool = builtProgram("tools/lxedl/vemo-lxedl");
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "vemo-lxedl is not built";
    struct Case {
        const char* box;  // the box the operator changes after loading (none: nullptr)
        std::vector<std::string> options;
    };
    const std::vector<Case> cases = {{nullptr, {}},
                                     {"useini", {"--no-ini"}},
                                     {"usefnl", {"--no-fnl"}},
                                     {"recmode", {"--all-ps"}},
                                     {"autoch", {"--autoch"}}};
    for (const Case& c : cases) {
        ui::EDLViewer* w = open();
        load(w);
        if (c.box != nullptr)
            toggle(w, c.box);
        const std::string name = std::string("window-") + (c.box ? c.box : "plain") + ".edl";
        save(w, name);

        std::vector<std::string> args = c.options;
        args.push_back((dir.path() / "three.edl").string());
        args.push_back((dir.path() / "tool.edl").string());
        ChildProcess child(tool, args, dir.path());
        ASSERT_EQ(child.wait(std::chrono::seconds(30)), 0) << child.output();
        EXPECT_EQ(dir.read(name), dir.read("tool.edl")) << name;
    }
}

}  // namespace
}  // namespace vemo::test
