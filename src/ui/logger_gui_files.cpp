// Loading and saving the clip list, and closing the window without losing clips.
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>

#include "core/utils.h"
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
    if (recent_ != nullptr)
        recent_->remember(path);
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
    // Clips that are in no file are saved or given up first, or nothing is loaded.
    if (!settleUnsaved(QStringLiteral("The clips have changed since they were last saved. "
                                      "Save them before loading another list?"),
                       false))
        return;
    LoadOrSave_ = 0;
    std::string path = GetFileName("Load Standard EDL");
    if (path.empty())
        return;
    core::LoggerLoadResult result = edl_.LoadEDL(path);
    if (!result.ok)
        reportFailure("EDL not loaded: " + path + ": " + result.failure);
    else if (!result.statusMessage.empty())
        reportFailure(result.statusMessage);
    if (result.ok)
        rememberLoaded(result.count);
    // The loaded list is shown from entry 1, and the marks start again in row 0.
    vsb_->setValue(0);
    ReState(0);
    vsbval_ = 0;
    offset_ = 0;
    tableChanged();
    if (result.ok && result.statusMessage.empty()) {
        const std::string loaded =
            "EDL loaded: " + std::to_string(result.count) + " events from " + path;
        if (result.rateWarning.empty() && showNotice)
            showNotice(loaded);
        else if (result.rateWarning.empty())
            svcr_.ShowStat(loaded);
        else
            svcr_.ShowError(loaded + ". " + result.rateWarning);
    }
}

bool LoggerGUI::saveEDL() {
    std::string path = GetFileName("Save Standard EDL");
    if (path.empty())
        return false;
    core::LoggerSaveResult result = edl_.SaveEDL(path);
    if (!result.saved) {
        reportFailure(result.statusMessage);
        return false;
    }
    rememberSaved();
    tableChanged();
    if (result.statusMessage.empty()) {
        const std::string saved =
            "EDL saved: " + std::to_string(result.eventsWritten) + " events in " + path;
        if (showNotice)
            showNotice(saved);
        else
            svcr_.ShowStat(saved);
    } else {
        // Saved, but with something the operator should correct.
        svcr_.ShowError("EDL saved: " + result.statusMessage);
    }
    return true;
}

void LoggerGUI::reportFailure(const std::string& message) {
    svcr_.ShowError(message);
    if (showError)
        showError(message);
}

void LoggerGUI::rememberSaved() {
    saved_ = edl_.table;
}

void LoggerGUI::rememberLoaded(int count) {
    // As if the file had been loaded into a fresh table: what lies past its events and is
    // not a fresh entry is a clip of its own.
    core::LoggerTable loaded;
    for (std::size_t e = 0; e < static_cast<std::size_t>(count); ++e) {
        loaded.ClipNameArray[e] = edl_.table.ClipNameArray[e];
        loaded.SrcInArray[e] = edl_.table.SrcInArray[e];
        loaded.SrcOutArray[e] = edl_.table.SrcOutArray[e];
    }
    saved_ = loaded;
}

bool LoggerGUI::changed() const {
    const core::LoggerTable& t = edl_.table;
    return t.ClipNameArray != saved_.ClipNameArray || t.SrcInArray != saved_.SrcInArray ||
           t.SrcOutArray != saved_.SrcOutArray;
}

void LoggerGUI::tableChanged() {
    if (changed()) {
        std::error_code ec = recovery_.save(edl_.table);
        // Said once per failure run, not at every mark.
        if (ec && !recoveryFailed_) {
            core::Utils::OutLine("Recovery file not written: " + recovery_.path().string() + ": " +
                                 ec.message());
        }
        recoveryFailed_ = static_cast<bool>(ec);
    } else {
        recovery_.remove();
        recoveryFailed_ = false;
    }
    for (const Row& row : rows_) {
        markValidity(row.in);
        markValidity(row.out);
    }
    if (onTableChanged)
        onTableChanged();
}

bool LoggerGUI::settleUnsaved(const QString& question, bool closing) {
    if (!changed())
        return true;
    saveQuestion_ = question;
    switch (askSave()) {
        case SaveAnswer::Save:
            LoadOrSave_ = 1;
            return saveEDL();
        case SaveAnswer::Discard:
            // Before a load the clips are still in the table until the file replaces them.
            if (closing)
                recovery_.remove();
            return true;
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

bool LoggerGUI::confirmClose() {
    return settleUnsaved(
        QStringLiteral(
            "The clips have changed since they were last saved. Save them before closing?"),
        true);
}

bool LoggerGUI::confirmQuit(bool mayAsk) {
    if (mayAsk) {
        Busy busy(*this);
        return confirmClose();
    }
    if (changed()) {
        tableChanged();  // the copy on disk is the table as it is now
        core::Utils::OutLine("Unsaved clips kept in " +
                             std::filesystem::absolute(recovery_.path()).string());
    }
    return true;
}

void LoggerGUI::offerRecovery() {
    if (!recovery_.exists())
        return;
    const std::string where = std::filesystem::absolute(recovery_.path()).string();
    std::optional<core::LoggerRecovery::Restored> restored = recovery_.load();
    if (!restored) {
        core::Utils::OutLine("Recovery file not readable, left as it is: " + where);
        return;
    }
    if (!askRestore(restored->entries)) {
        recovery_.remove();
        core::Utils::OutLine("Recovered clips discarded: " + where);
        return;
    }
    edl_.table = restored->table;
    saved_ = core::LoggerTable();  // none of them is in a file
    vsb_->setValue(0);
    ReState(0);
    vsbval_ = 0;
    offset_ = 0;
    tableChanged();
    core::Utils::OutLine("Restored " + std::to_string(restored->entries) + " clips from " + where +
                         (restored->badLines > 0
                              ? " (" + std::to_string(restored->badLines) + " lines unreadable)"
                              : std::string()));
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
    QString start = directory_.isEmpty() ? QDir::currentPath() : directory_;
    if (recent_ != nullptr && !recent_->lastFolder().empty())
        start = QFile::decodeName(recent_->lastFolder().c_str());
    dialog.setDirectory(start);
    const bool exporting = prompt == ExportPrompt;
    dialog.selectFile(exporting ? QStringLiteral("clips.ale") : QStringLiteral("edl.txt"));
    if (exporting) {
        dialog.setNameFilters({QStringLiteral("ALE for Avid (*.ale)"),
                               QStringLiteral("OpenTimelineIO (*.otio)"),
                               QStringLiteral("CSV for spreadsheets (*.csv)")});
        // A name typed without an extension gets the chosen format's.
        dialog.setDefaultSuffix(QStringLiteral("ale"));
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            const int dot = filter.lastIndexOf(QLatin1Char('.'));
            dialog.setDefaultSuffix(filter.mid(dot + 1).chopped(1));
        });
    }
    if (recent_ != nullptr)
        offerRecent(dialog, *recent_, !save);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

bool LoggerGUI::defaultAskRestore(int entries) {
    QMessageBox box(QMessageBox::Question, windowTitle(),
                    QStringLiteral("A console that did not close normally left %1 logged "
                                   "clips in %2. Restore them? (No discards them.)")
                        .arg(entries)
                        .arg(QString::fromStdString(recovery_.path().string())),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

LoggerGUI::SaveAnswer LoggerGUI::defaultAskSave() {
    QMessageBox box(QMessageBox::Question, windowTitle(), saveQuestion_,
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
