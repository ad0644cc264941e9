// "Export…": the logger's list out as ALE, OpenTimelineIO or CSV. The exporter does the work.
#include <QFile>
#include <QFileInfo>

#include "core/export/export_format.h"
#include "deck/local_vcr.h"
#include "ui/logger_gui.h"

namespace vemo::ui {

void LoggerGUI::EB() {
    Busy busy(*this);
    exportClips();
}

bool LoggerGUI::exportClips() {
    namespace ex = core::exporter;
    const std::string path = fileChooser(ExportPrompt, true);
    if (path.empty())
        return false;
    const std::optional<ex::ExportFormat> format = ex::formatOfPath(path);
    if (!format) {
        reportFailure("Export not written: " + path + ": name the file .ale, .otio or .csv");
        return false;
    }
    const QFileInfo info(QFile::decodeName(path.c_str()));
    directory_ = info.absolutePath();
    if (recent_ != nullptr)
        recent_->remember(path);
    const ex::ExportList list = ex::listFromTable(edl_.table, edl_.entriesToSave(), edl_.rate,
                                                  info.completeBaseName().toStdString());
    const ex::ExportOutcome outcome = ex::writeExport(list, *format, path);
    if (!outcome.written) {
        reportFailure(outcome.message);
        return false;
    }
    if (outcome.whole)
        svcr_.ShowStat(outcome.message);
    else
        svcr_.ShowError(outcome.message);  // written, with entries left out or names cut
    return true;
}

}  // namespace vemo::ui
