// What the EDL maker's buttons, option boxes and file dialogs do.
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "ui/edl_viewer.h"

namespace vemo::ui {

std::optional<FileChoice> chooseWithDialog(QWidget* parent, FileDialogMode mode,
                                           const QString& title, const std::string& directory,
                                           const RecentFiles* recent) {
    QFileDialog dialog(parent, title, QFile::decodeName(directory.c_str()));
    const bool save = mode == FileDialogMode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (recent != nullptr)
        offerRecent(dialog, *recent, !save);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    // File names are handed on in the platform's own encoding.
    return FileChoice{QFile::encodeName(chosen.absolutePath()).toStdString(),
                      QFile::encodeName(chosen.fileName()).toStdString()};
}

bool EDLViewer::guarded(const std::function<void()>& operation) {
    if (busy_ > 0)
        return false;
    ++busy_;
    operation();
    --busy_;
    showLeftOut();
    if (closePending_) {
        closePending_ = false;
        close();
    }
    return true;
}

void EDLViewer::actionPerformed(std::string_view command) {
    const std::string cmd(command);
    guarded([this, &cmd] {
        if (cmd == "auto") {
            edl_.autoedl();
        } else if (cmd == "del") {
            edl_.removeoutputline();
        } else if (cmd == "pause") {
            pauseMode();
        } else if (cmd == "stop") {
            stopMode();
        } else if (cmd == "wait") {
            edl_.addwait();
        } else if (cmd == "chap") {
            edl_.setchapter();
        } else if (cmd == "next") {
            processLine();
        } else if (cmd == "back") {
            edl_.backupsourceedl();
        } else if (cmd == "load") {
            load();
        } else if (cmd == "save") {
            save();
        }
    });
}

std::string EDLViewer::startFolder() const {
    if (recent != nullptr && !recent->lastFolder().empty())
        return recent->lastFolder().string();
    return directory_;
}

void EDLViewer::chosen(const FileChoice& choice) {
    directory_ = choice.directory;
    if (recent != nullptr && !choice.name.empty())
        recent->remember(std::filesystem::path(choice.directory) / choice.name);
}

void EDLViewer::load() {
    const std::optional<FileChoice> choice =
        chooser(this, FileDialogMode::Open, QStringLiteral("Open File"), startFolder(), recent);
    // A cancelled dialog reads nothing: the source empties and only INI and FNL remain.
    std::string name;
    if (choice) {
        chosen(*choice);
        name = choice->name;
    }
    edl_.parseedl(directory_, name);
    edl_.rawline = 0;
    edl_.autoedl();
}

void EDLViewer::save() {
    const std::optional<FileChoice> choice =
        chooser(this, FileDialogMode::Save, QStringLiteral("Save File"), startFolder(), recent);
    std::string name;
    if (choice) {
        chosen(*choice);
        name = choice->name;
    }
    // Without a name only the final fix-ups of the list run; a failed write is shown by
    // the engine in the source area.
    edl_.saveedl(directory_, name);
}

void EDLViewer::pauseMode() {
    edl_.changestoptopause();
    edl_.onetitle = true;
    edl_.titlemodestring = core::RecorderEDL::Pause;
    setQuietly(recmode_, true);
}

void EDLViewer::stopMode() {
    edl_.changepausetostop();
    edl_.onetitle = false;
    edl_.titlemodestring = core::RecorderEDL::Stop;
    setQuietly(recmode_, false);
}

void EDLViewer::processLine() {
    // Past the end of the source the next press starts again from line 1, new list.
    if (edl_.rawline == edl_.rawlinecount)
        edl_.rawline = 0;
    edl_.parsenextline();
}

void EDLViewer::optionChanged(QCheckBox* box, bool on, const std::function<void()>& apply) {
    const bool done = guarded([this, &apply] {
        apply();
        edl_.autoedl();
    });
    // Only programmatic changes can arrive during an operation; the box keeps the option.
    if (!done)
        setQuietly(box, !on);
}

void EDLViewer::useIni(bool on) {
    optionChanged(useini_, on, [this, on] { edl_.initialize = on; });
}

void EDLViewer::useFnl(bool on) {
    optionChanged(usefnl_, on, [this, on] { edl_.finalize = on; });
}

void EDLViewer::recMode(bool on) {
    optionChanged(recmode_, on, [this, on] {
        edl_.onetitle = on;
        edl_.titlemodestring = on ? core::RecorderEDL::Pause : core::RecorderEDL::Stop;
    });
}

void EDLViewer::autoCh(bool on) {
    optionChanged(autoch_, on, [this, on] {
        edl_.autochapter = on;
        if (on) {
            setQuietly(recmode_, false);
            edl_.onetitle = false;
            edl_.titlemodestring = core::RecorderEDL::Stop;
        }
    });
}

}  // namespace vemo::ui
