#pragma once

#include <string>
#include <string_view>

#include "core/line_reader.h"
#include "core/unique_fd.h"

// File access for the logger's EDL files: whole-file replacement, with failures turned
// into the logger's log lines. Lines are read with core::LineReader.
namespace vemo::core::loggerio {

using core::UniqueFd;

// The platform's description of an errno value.
std::string describe(int err);
// "FileStreamError: ..." for a file or folder that is not there, else "FileIOError: ... 1".
std::string openFailureLine(int err);
// "FileIOError: " + description + " " + stage (1 read/write/open, 2 close).
std::string ioFailureLine(int err, int stage);

struct WriteOutcome {
    bool ok = false;
    std::string logLine;  // the failure's log line when !ok
};

// The atomic file writer, with its failure turned into the logger's log line.
WriteOutcome replaceFile(const std::string& path, std::string_view bytes);

// Bytes past this many in one line of an EDL are dropped.
inline constexpr std::size_t MaxLine = 65536;

}  // namespace vemo::core::loggerio
