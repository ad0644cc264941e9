#include "core/export/export_format.h"

#include <algorithm>
#include <cctype>

#include "core/file_io.h"

namespace vemo::core::exporter {
namespace {
std::string lower(std::string_view text) {
    std::string out;
    for (char c : text)
        out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return out;
}

std::string counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}
}  // namespace

std::optional<ExportFormat> parseExportFormat(std::string_view word) {
    const std::string w = lower(word);
    if (w == "ale")
        return ExportFormat::Ale;
    if (w == "otio")
        return ExportFormat::Otio;
    if (w == "csv")
        return ExportFormat::Csv;
    return std::nullopt;
}

std::optional<ExportFormat> formatOfPath(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::nullopt;
    return parseExportFormat(path.substr(dot + 1));
}

std::string_view formatName(ExportFormat format) {
    switch (format) {
        case ExportFormat::Otio:
            return "OpenTimelineIO";
        case ExportFormat::Csv:
            return "CSV";
        case ExportFormat::Ale:
            break;
    }
    return "ALE";
}

Rendered render(const ExportList& list, ExportFormat format) {
    switch (format) {
        case ExportFormat::Otio:
            return renderOtio(list);
        case ExportFormat::Csv:
            return renderCsv(list);
        case ExportFormat::Ale:
            break;
    }
    return renderAle(list);
}

std::string exportSummary(const ExportList& list, const Rendered& rendered, ExportFormat format,
                          std::size_t maxReasons, const std::string& path) {
    std::string text = counted(list.clips.size(), "clip", "clips") + " exported as " +
                       std::string(formatName(format)) + (path.empty() ? "" : " in " + path);
    if (!list.leftOut.empty()) {
        text += "; " + counted(list.leftOut.size(), "entry", "entries") + " left out";
        const std::size_t named = std::min(maxReasons, list.leftOut.size());
        for (std::size_t i = 0; i < named; ++i)
            text += (i > 0 ? ", " : " (") + list.leftOut[i];
        if (named > 0 && named < list.leftOut.size())
            text += ", and " + std::to_string(list.leftOut.size() - named) + " more";
        if (named > 0)
            text += ")";
    }
    if (rendered.namesCut > 0) {
        text += "; " + counted(static_cast<std::size_t>(rendered.namesCut), "name", "names") +
                " cut to 32 characters or made unique";
    }
    return text;
}

ExportOutcome writeExport(const ExportList& list, ExportFormat format, const std::string& path) {
    const Rendered rendered = render(list, format);
    if (WriteResult w = writeFileAtomically(path, rendered.bytes))
        return {false, false, "Export not written: " + path + ": " + w.error.message()};
    return {true, list.leftOut.empty() && rendered.namesCut == 0,
            exportSummary(list, rendered, format, 5, path)};
}

std::string fileUrl(const std::string& absolutePath) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (char ch : absolutePath) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url.push_back(ch);
        } else {
            url.push_back('%');
            url.push_back(hex[c >> 4]);
            url.push_back(hex[c & 0x0F]);
        }
    }
    return url;
}

}  // namespace vemo::core::exporter
