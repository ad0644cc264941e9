// Loading and saving the clip list, and closing the window without losing clips.
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>

#include "deck/local_vcr.h"
#include "ui/logger_gui.h"
#include "ui/logger_text.h"

namespace vemo::ui {

using namespace logger;

LoggerGUI::Busy::Busy(LoggerGUI& gui) : gui_(gui) {
    ++gui_.busy_;
}

LoggerGUI::Busy::~Busy() {
    if (--gui_.busy_ == 0 && gui_.closePending_) {
        gui_.closePending_ = false;
        // From the event loop, once the operation's stack is gone.
        QTimer::singleShot(0, &gui_, [g = &gui_] { g->close(); });
    }
}

std::string LoggerGUI::GetFileName(const std::string& prompt) {
    std::string path = fileChooser(prompt, LoadOrSave_ == 1);
    if (path.empty())
        return path;
    QFileInfo info(QFile::decodeName(path.c_str()));
    edl_.savename = fromQt(info.fileName());  // the EDL's title
    directory_ = info.absolutePath();
    return path;
}

void LoggerGUI::LB() {
    Busy busy(*this);
    LoadOrSave_ = 0;
    loadEDL();
}

void LoggerGUI::SB() {
    Busy busy(*this);
    LoadOrSave_ = 1;
    saveEDL();
}

void LoggerGUI::loadEDL() {
    std::string path = GetFileName("Load Standard EDL");
    if (path.empty())
        return;
    core::LoggerLoadResult result = edl_.LoadEDL(path);
    if (!result.statusMessage.empty())
        svcr_.ShowStat(result.statusMessage);
    if (result.ok)
        rememberSaved();
    // The loaded list is shown from entry 1, and the marks start again in row 0.
    vsb_->setValue(0);
    ReState(0);
    vsbval_ = 0;
    offset_ = 0;
}

bool LoggerGUI::saveEDL() {
    std::string path = GetFileName("Save Standard EDL");
    if (path.empty())
        return false;
    core::LoggerSaveResult result = edl_.SaveEDL(path);
    if (!result.statusMessage.empty())
        svcr_.ShowStat(result.statusMessage);
    // Clips the file could not take (a bad entry ended it) still count as unsaved.
    if (result.saved && !result.stoppedAtBadEntry)
        rememberSaved();
    return result.saved;
}

void LoggerGUI::rememberSaved() {
    saved_ = edl_.table;
}

bool LoggerGUI::changed() const {
    const core::LoggerTable& t = edl_.table;
    return t.ClipNameArray != saved_.ClipNameArray || t.SrcInArray != saved_.SrcInArray ||
           t.SrcOutArray != saved_.SrcOutArray;
}

bool LoggerGUI::confirmClose() {
    if (!changed())
        return true;
    switch (askSave()) {
        case SaveAnswer::Save:
            LoadOrSave_ = 1;
            return saveEDL();
        case SaveAnswer::Discard:
            return true;
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

void LoggerGUI::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (closed_ || closing_)
        return;
    if (busy_ > 0) {
        // A review or a dialog is still on the stack: ask once it has returned.
        closePending_ = true;
        return;
    }
    closing_ = true;
    bool mayClose = false;
    {
        Busy busy(*this);
        mayClose = confirmClose();
    }
    closing_ = false;
    if (!mayClose)
        return;
    closed_ = true;
    event->accept();
    if (onClosed)
        onClosed();
}

std::string LoggerGUI::defaultFileChooser(const std::string& prompt, bool save) {
    QFileDialog dialog(this, toQt(prompt));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDirectory(directory_.isEmpty() ? QDir::currentPath() : directory_);
    dialog.selectFile(QStringLiteral("edl.txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

LoggerGUI::SaveAnswer LoggerGUI::defaultAskSave() {
    QMessageBox box(QMessageBox::Question, windowTitle(),
                    QStringLiteral("The clips have changed since they were last saved. Save "
                                   "them before closing?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveAnswer::Save;
        case QMessageBox::Discard:
            return SaveAnswer::Discard;
        default:
            return SaveAnswer::Cancel;
    }
}

}  // namespace vemo::ui
