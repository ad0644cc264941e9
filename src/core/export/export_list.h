#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/edl/logger_table.h"
#include "core/frame_rate.h"

// A list of clips on its way out to an editing system or an inventory: the logger's entries
// (or a capture's clips) that can be exported, in list order, with what was left out.
namespace vemo::core::exporter {

// What a capture made of one clip.
struct CapturedMedia {
    std::string file;         // path of the captured file
    std::string outcome;      // "captured" for a good clip
    std::int64_t start = -1;  // frame count of the first frame captured (-1: unknown)
    std::int64_t end = -1;    // frame count where the capture stopped, exclusive (-1: unknown)

    bool captured() const { return outcome == "captured"; }
    bool hasRange() const { return start >= 0 && end > start; }
};

struct ExportClip {
    int number = 0;        // edit number: the entry's place in its list, from 1
    std::string name;      // UTF-8
    std::string reel;      // UTF-8
    std::int64_t in = 0;   // frame count of the in point
    std::int64_t out = 0;  // frame count of the out point (exclusive)
    std::optional<CapturedMedia> media;

    std::int64_t duration() const { return out - in; }
};

struct ExportList {
    FrameRate rate = FrameRate::Fps30;
    std::string title;  // the timeline's name
    std::vector<ExportClip> clips;
    std::vector<std::string> leftOut;  // one line for each entry left out, saying why

    // Whether any clip carries capture results (the formats then add their columns).
    bool hasMedia() const;
};

// Whether bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isUtf8(std::string_view bytes);

// The text of a logger name or a file's name as UTF-8: kept when it already is UTF-8, else
// read as Latin-1, the logger's own 8-bit characters.
std::string toUtf8(const std::string& bytes);
// At most count characters of a UTF-8 text.
std::string firstCharacters(const std::string& utf8, std::size_t count);

// The reel the logger's EDL gives an entry: the first six characters of its name.
std::string loggerReel(const std::string& utf8Name);

// Entries 0 to count - 1 of the logger's table: those with a name and a valid in before a
// valid out, at the rate; the others are named in leftOut ("entry 3: no name").
ExportList listFromTable(const LoggerTable& table, int count, FrameRate rate,
                         const std::string& title);

// Why an entry of this name and time texts cannot be exported ("" when it can).
std::string entryProblem(const std::string& name, const std::string& in, const std::string& out,
                         FrameRate rate);

}  // namespace vemo::core::exporter
