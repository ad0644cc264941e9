#include "core/edl/logger_recovery.h"

#include <array>
#include <charconv>
#include <vector>

#include "core/file_io.h"
#include "core/line_reader.h"

namespace vemo::core {
namespace {

// Fields are separated by tabs; a name typed by the operator may hold any byte, so tabs,
// line ends and backslashes in it are escaped.
std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos)
            return parts;
        start = at + 1;
    }
}

// One "index<TAB>name<TAB>in<TAB>out" line into the table; false when it is not one.
bool takeLine(std::string_view line, LoggerTable& table) {
    std::vector<std::string_view> fields = split(line, '\t');
    if (fields.size() != 4)
        return false;
    int index = -1;
    auto [end, ec] = std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), index);
    if (ec != std::errc() || end != fields[0].data() + fields[0].size() ||
        !LoggerTable::valid(index))
        return false;
    std::array<std::optional<std::string>, 3> texts{unescape(fields[1]), unescape(fields[2]),
                                                    unescape(fields[3])};
    for (const auto& t : texts) {
        if (!t)
            return false;
    }
    const auto e = static_cast<std::size_t>(index);
    table.ClipNameArray[e] = *texts[0];
    table.SrcInArray[e] = *texts[1];
    table.SrcOutArray[e] = *texts[2];
    return true;
}

}  // namespace

bool LoggerRecovery::exists() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(path_, ec);
}

std::string LoggerRecovery::serialize(const LoggerTable& table) {
    const LoggerTable fresh;
    std::string out(kHeader);
    out += '\n';
    for (std::size_t e = 0; e < static_cast<std::size_t>(LoggerTable::NumEntries); ++e) {
        if (table.ClipNameArray[e] == fresh.ClipNameArray[e] &&
            table.SrcInArray[e] == fresh.SrcInArray[e] &&
            table.SrcOutArray[e] == fresh.SrcOutArray[e])
            continue;
        out += std::to_string(e) + '\t' + escape(table.ClipNameArray[e]) + '\t' +
               escape(table.SrcInArray[e]) + '\t' + escape(table.SrcOutArray[e]) + '\n';
    }
    return out;
}

std::optional<LoggerRecovery::Restored> LoggerRecovery::parse(std::string_view bytes) {
    std::vector<std::string> lines = splitLines(bytes);
    if (lines.empty() || lines.front() != kHeader)
        return std::nullopt;
    Restored restored;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        if (takeLine(lines[i], restored.table))
            ++restored.entries;
        else
            ++restored.badLines;
    }
    return restored;
}

std::error_code LoggerRecovery::save(const LoggerTable& table) const {
    return writeFileAtomically(path_.string(), serialize(table)).error;
}

void LoggerRecovery::remove() const {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

std::optional<LoggerRecovery::Restored> LoggerRecovery::load() const {
    if (!exists())
        return std::nullopt;
    std::string bytes;
    if (readWholeFile(path_.string(), bytes))
        return std::nullopt;
    return parse(bytes);
}

}  // namespace vemo::core
