// The console's recent files: kept newest first and offered by the file dialogs, which start
// in the last folder chosen in any window.
#include <QFileDialog>
#include <QTimer>

#include "ui/logger_fixture.h"
#include "ui/recent_files.h"

namespace vemo::test {
namespace {

namespace fs = std::filesystem;

TEST(RecentFiles, NewestFirstEachOnceAndOnlyTheLast) {
    ui::RecentFiles recent;
    for (const char* f : {"/tapes/a.edl", "/lx/b.edl", "/tapes/./a.edl", "/tapes/c.edl"})
        recent.remember(f);
    EXPECT_EQ(recent.files(), (std::vector<fs::path>{"/tapes/c.edl", "/tapes/a.edl", "/lx/b.edl"}));
    EXPECT_EQ(recent.folders(), (std::vector<fs::path>{"/tapes", "/lx"}));
    for (int i = 0; i < 20; ++i)
        recent.remember("/many/" + std::to_string(i) + ".edl");
    EXPECT_EQ(recent.files().size(), ui::RecentFiles::kKept);
    EXPECT_EQ(recent.lastFolder(), fs::path("/many"));
}

TEST_F(LoggerTest, LoggerDialogsStartInTheLastFolderAndOfferTheRecentOnes) {
    TempDir other;
    gui->recentFiles().remember(recoveryDir.file("old.edl"));
    gui->recentFiles().remember(other.file("list.edl"));
    // A window's own dialog, looked at as the operator would, then cancelled.
    ui::LoggerGUI window(*vcr, recoveryDir.file("second-recovery.txt"));
    window.setRecentFiles(&gui->recentFiles());
    QString start;
    QStringList history;
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        start = dialog->directory().absolutePath();
        history = dialog->history();
        dialog->reject();
    });
    EXPECT_EQ(window.GetFileName("Save Standard EDL"), "");
    EXPECT_EQ(fs::path(start.toStdString()), other.path());
    EXPECT_EQ(history, (QStringList{QString::fromStdString(other.path().string()),
                                    QString::fromStdString(recoveryDir.path().string())}));
    // A file chosen in the logger joins them.
    chosenPath = recoveryDir.file("new.edl").string();
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(gui->recentFiles().files().front(), recoveryDir.file("new.edl"));
}

}  // namespace
}  // namespace vemo::test
