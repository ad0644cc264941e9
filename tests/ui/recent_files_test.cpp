// The console's recent files: kept newest first, offered by the file dialogs, which start in
// the last folder chosen in any window.
#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <QUrl>

#include "ui/logger_fixture.h"
#include "ui/recent_files.h"

namespace vemo::test {
namespace {

namespace fs = std::filesystem;

TEST(RecentFiles, NewestFirstEachOnceAndOnlyTheLast) {
    ui::RecentFiles recent;
    EXPECT_TRUE(recent.lastFolder().empty());
    // Each row: the file chosen, then the list and the folders.
    struct Step {
        fs::path chosen;
        std::vector<fs::path> files;
        std::vector<fs::path> folders;
    };
    const std::vector<Step> steps = {
        {"/tapes/a.edl", {"/tapes/a.edl"}, {"/tapes"}},
        {"/lx/b.edl", {"/lx/b.edl", "/tapes/a.edl"}, {"/lx", "/tapes"}},
        {"/tapes/./a.edl", {"/tapes/a.edl", "/lx/b.edl"}, {"/tapes", "/lx"}},
        {"/tapes/c.edl", {"/tapes/c.edl", "/tapes/a.edl", "/lx/b.edl"}, {"/tapes", "/lx"}},
    };
    for (const Step& s : steps) {
        recent.remember(s.chosen);
        EXPECT_EQ(recent.files(), s.files) << s.chosen;
        EXPECT_EQ(recent.folders(), s.folders) << s.chosen;
        EXPECT_EQ(recent.lastFolder(), s.folders.front());
    }
    for (int i = 0; i < 20; ++i)
        recent.remember("/many/" + std::to_string(i) + ".edl");
    EXPECT_EQ(recent.files().size(), ui::RecentFiles::kKept);
    EXPECT_EQ(recent.files().front(), fs::path("/many/19.edl"));
}

TEST_F(LoggerTest, LoggerDialogsStartInTheLastFolderAndOfferTheRecentOnes) {
    TempDir other;
    other.write("list.edl", "TITLE: X\n");
    gui->recentFiles().remember(recoveryDir.file("old.edl"));
    gui->recentFiles().remember(other.file("list.edl"));

    // The window's own dialog, answered as the operator would: looked at, then cancelled.
    ui::LoggerGUI window(*vcr, recoveryDir.file("second-recovery.txt"));
    window.setRecentFiles(&gui->recentFiles());
    QString start;
    QStringList history;
    QList<QUrl> places;
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        start = dialog->directory().absolutePath();
        history = dialog->history();
        places = dialog->sidebarUrls();
        dialog->reject();
    });
    EXPECT_EQ(window.GetFileName("Save Standard EDL"), "");
    EXPECT_EQ(fs::path(start.toStdString()), other.path());
    EXPECT_EQ(history, (QStringList{QString::fromStdString(other.path().string()),
                                    QString::fromStdString(recoveryDir.path().string())}));
    EXPECT_TRUE(
        places.contains(QUrl::fromLocalFile(QString::fromStdString(other.path().string()))));

    // A file chosen in the logger joins them.
    chosenPath = recoveryDir.file("new.edl").string();
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(gui->recentFiles().files().front(), recoveryDir.file("new.edl"));
}

TEST(RecentFiles, AnOpeningDialogStartsOnTheNewestFile) {
    TempDir dir;
    dir.write("b.edl", "TITLE: B\n");
    ui::RecentFiles recent;
    recent.remember(dir.file("b.edl"));
    QFileDialog dialog(nullptr, QStringLiteral("Open File"),
                       QString::fromStdString(dir.path().string()));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    ui::offerRecent(dialog, recent, true);
    ASSERT_FALSE(dialog.selectedFiles().isEmpty());
    EXPECT_EQ(fs::path(dialog.selectedFiles().constFirst().toStdString()), dir.file("b.edl"));
}

}  // namespace
}  // namespace vemo::test
