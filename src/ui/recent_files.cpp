#include "ui/recent_files.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QUrl>
#include <algorithm>

namespace vemo::ui {
namespace {

QString qpath(const std::filesystem::path& path) {
    return QFile::decodeName(path.c_str());
}

}  // namespace

void RecentFiles::remember(const std::filesystem::path& file) {
    const std::filesystem::path whole = std::filesystem::absolute(file).lexically_normal();
    std::erase(files_, whole);
    files_.insert(files_.begin(), whole);
    if (files_.size() > kKept)
        files_.resize(kKept);
}

std::filesystem::path RecentFiles::lastFolder() const {
    return files_.empty() ? std::filesystem::path() : files_.front().parent_path();
}

std::vector<std::filesystem::path> RecentFiles::folders() const {
    std::vector<std::filesystem::path> out;
    for (const std::filesystem::path& f : files_) {
        if (std::find(out.begin(), out.end(), f.parent_path()) == out.end())
            out.push_back(f.parent_path());
    }
    return out;
}

void offerRecent(QFileDialog& dialog, const RecentFiles& recent, bool opening) {
    if (recent.files().empty())
        return;
    QStringList history;
    QList<QUrl> places = dialog.sidebarUrls();
    for (const std::filesystem::path& folder : recent.folders()) {
        history << qpath(folder);
        const QUrl url = QUrl::fromLocalFile(qpath(folder));
        if (!places.contains(url))
            places << url;
    }
    dialog.setHistory(history);
    dialog.setSidebarUrls(places);
    const std::filesystem::path& newest = recent.files().front();
    if (opening && QDir(dialog.directory()) == QDir(qpath(newest.parent_path())) &&
        std::filesystem::exists(newest))
        dialog.selectFile(qpath(newest.filename()));
}

}  // namespace vemo::ui
