#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/export/export_list.h"

// The three ways a list leaves the console: ALE for Avid bins, OpenTimelineIO for editing
// systems that read timelines, CSV for inventories.
namespace vemo::core::exporter {

enum class ExportFormat { Ale, Otio, Csv };

// "ale", "otio" or "csv" (letter case does not matter).
std::optional<ExportFormat> parseExportFormat(std::string_view word);
// The format a file's extension names: .ale, .otio or .csv.
std::optional<ExportFormat> formatOfPath(std::string_view path);
std::string_view formatName(ExportFormat format);  // "ALE", "OpenTimelineIO", "CSV"

// The bytes of one format, and what the format changed of the list.
struct Rendered {
    std::string bytes;
    int namesCut = 0;  // names cut or changed to fit the format (ALE: 32 characters, unique)
};

Rendered renderAle(const ExportList& list);
Rendered renderOtio(const ExportList& list);
Rendered renderCsv(const ExportList& list);
Rendered render(const ExportList& list, ExportFormat format);

// For the status line and standard error: "12 clips exported as ALE in PATH; 2 entries left
// out (entry 3: no name, ...); 1 name cut to 32 characters or made unique" (" in PATH" only
// when path is given). At most maxReasons left-out entries are named ("and 4 more" stands
// for the rest).
std::string exportSummary(const ExportList& list, const Rendered& rendered, ExportFormat format,
                          std::size_t maxReasons = 5, const std::string& path = "");

// Renders the list and replaces the file at path with it (atomically). The message is the
// summary, or why nothing was written ("Export not written: PATH: ...").
struct ExportOutcome {
    bool written = false;
    bool whole = false;  // nothing left out and no name changed
    std::string message;
};
ExportOutcome writeExport(const ExportList& list, ExportFormat format, const std::string& path);

// The file names the capture folder reader and the formats share: a path as a file URL.
std::string fileUrl(const std::string& absolutePath);

}  // namespace vemo::core::exporter
