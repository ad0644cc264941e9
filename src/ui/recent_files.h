#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

class QFileDialog;

namespace vemo::ui {

// The files the console's file dialogs last opened or saved, newest first, for the whole
// run: every dialog of every window starts in the folder of the newest and offers the
// others. The main window owns the one list; the windows it opens share it.
class RecentFiles {
  public:
    static constexpr std::size_t kKept = 8;

    // Puts a chosen file first (once; the oldest beyond kKept goes).
    void remember(const std::filesystem::path& file);
    const std::vector<std::filesystem::path>& files() const { return files_; }
    // The folder of the newest file; empty before the first choice.
    std::filesystem::path lastFolder() const;
    // The folders of the files, each once, newest first.
    std::vector<std::filesystem::path> folders() const;

  private:
    std::vector<std::filesystem::path> files_;
};

// Offers the recent files in a file dialog: their folders in its history and side bar, and
// for opening, the newest file chosen at the start when the dialog opens in its folder.
void offerRecent(QFileDialog& dialog, const RecentFiles& recent, bool opening);

}  // namespace vemo::ui
