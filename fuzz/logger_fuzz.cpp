// The logger's EDL reader on arbitrary bytes, then the writer over what was read, then the
// reader again over what was written: nothing crashes, the table keeps its 100 entries and
// the untouched ones, and a saved list reads back with its events.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/edl/logger_edl.h"
#include "core/edl/logger_timecode.h"
#include "core/settings.h"
#include "support/fuzz_input.h"

namespace {
using vemo::core::LoggerEDL;
using vemo::core::LoggerLoadResult;
using vemo::core::LoggerSaveResult;
using vemo::core::LoggerTable;

// The byte a list must start with to be read at all ("T" of its title): the first one after
// a UTF-8 byte-order mark, blank lines and blanks before the title.
char titleByte(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    const std::size_t at = bytes.find_first_not_of(" \t\r\n");
    return at == std::string_view::npos ? '\0' : bytes[at];
}

bool hasLineEnd(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

void checkLoad(const LoggerTable& before, const LoggerEDL& edl, const LoggerLoadResult& r,
               std::string_view bytes) {
    FUZZ_CHECK(r.count >= 0 && r.count <= LoggerTable::NumEntries);
    FUZZ_CHECK(r.stoppedAtShortLine == !r.statusMessage.empty());
    if (titleByte(bytes) != 'T')
        FUZZ_CHECK(r.count == 0);
    FUZZ_CHECK(edl.table.EdNumArray == before.EdNumArray);
    for (int i = 0; i < LoggerTable::NumEntries; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (i >= r.count) {
            FUZZ_CHECK(edl.table.ClipNameArray[k] == before.ClipNameArray[k]);
            FUZZ_CHECK(edl.table.SrcInArray[k] == before.SrcInArray[k]);
            FUZZ_CHECK(edl.table.SrcOutArray[k] == before.SrcOutArray[k]);
            continue;
        }
        // A name runs up to a blank; times are 11 characters, or "" before any line had them.
        FUZZ_CHECK(edl.table.ClipNameArray[k].find(' ') == std::string::npos);
        FUZZ_CHECK(!hasLineEnd(edl.table.ClipNameArray[k]));
        for (const std::string* t : {&edl.table.SrcInArray[k], &edl.table.SrcOutArray[k]}) {
            FUZZ_CHECK(t->empty() || t->size() == 11);
            FUZZ_CHECK(!hasLineEnd(*t));
        }
    }
}

std::size_t countLines(const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2))
        ++n;
    return n;
}

// What a saved entry's name reads back as: the tape column's first word, "S" for none.
std::string tapeName(const std::string& name) {
    return name.empty() ? std::string("S") : name.substr(0, 6);
}

void checkSave(const LoggerEDL& edl, const LoggerSaveResult& s, const std::string& out) {
    FUZZ_CHECK(s.eventsWritten >= 0 && s.eventsWritten <= LoggerTable::NumEntries);
    FUZZ_CHECK(out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0);
    FUZZ_CHECK(countLines(out) == 3 + static_cast<std::size_t>(s.eventsWritten));
    FUZZ_CHECK(s.stoppedAtBadEntry || s.eventsWritten == LoggerTable::NumEntries ||
               edl.table.SrcOutArray[static_cast<std::size_t>(s.eventsWritten)] ==
                   LoggerTable::TCString);

    LoggerEDL again;
    LoggerLoadResult r = again.LoadEDLBytes(out);
    FUZZ_CHECK(r.ok && !r.stoppedAtShortLine);
    FUZZ_CHECK(r.count == s.eventsWritten);
    for (int i = 0; i < r.count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const std::string& name = edl.table.ClipNameArray[k];
        const std::string& in = edl.table.SrcInArray[k];
        // The reader takes the first ":" of a line as the source in's: only a name without
        // one and an in point written with ":" read back as they were.
        if (tapeName(name).find(':') != std::string::npos || in[2] != ':')
            continue;
        FUZZ_CHECK(again.table.ClipNameArray[k] == tapeName(name));
        FUZZ_CHECK(again.table.SrcInArray[k] == in);
        FUZZ_CHECK(again.table.SrcOutArray[k] == edl.table.SrcOutArray[k]);
    }
}

// The field-count helpers on the first line of the input.
void fieldCounts(LoggerEDL& edl, std::string_view bytes) {
    std::string_view line = bytes.substr(0, bytes.find_first_of("\r\n"));
    edl.TC2FieldsNDF(line);
    FUZZ_CHECK(edl.h >= 0 && edl.h <= 99 && edl.m <= 99 && edl.s <= 99 && edl.fr <= 99);
    edl.TC2FieldsDF(line);
    edl.SMPTEstring(edl.h, edl.m, edl.s, edl.fr);
    FUZZ_CHECK(edl.SMPTE.size() == 11);
    std::int64_t d = static_cast<std::int64_t>(line.size()) * 997 - 30000;
    std::string t = edl.MakeZeroString2(line.substr(0, 20), d);
    FUZZ_CHECK(t.size() >= 11 && t[t.size() - 3] == ':' && t[t.size() - 6] == ':');
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vemo::fuzz::quietLog();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    LoggerEDL edl;
    edl.verbose = true;  // the lines logged while reading are code too
    const LoggerTable before = edl.table;
    LoggerLoadResult loaded = edl.LoadEDLBytes(bytes);
    checkLoad(before, edl, loaded, bytes);

    const LoggerTable read = edl.table;
    LoggerSaveResult saved;
    std::string out = edl.buildEDL(saved);
    FUZZ_CHECK(edl.table.ClipNameArray == read.ClipNameArray);
    FUZZ_CHECK(edl.table.SrcInArray == read.SrcInArray);
    FUZZ_CHECK(edl.table.SrcOutArray == read.SrcOutArray);
    checkSave(edl, saved, out);

    fieldCounts(edl, bytes);
    return 0;
}
