#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "core/edl/logger_edl.h"
#include "core/edl/logger_file.h"
#include "core/edl/logger_timecode.h"
#include "core/utils.h"

namespace vemo::core {

namespace {
void fail(LoggerLoadResult& result, const std::string& line) {
    Utils::OutLine(line);
    result.ok = false;
    result.failure = line;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The first byte that counts: a UTF-8 byte-order mark, blank lines and blanks before the
// title are passed over. Editing systems write the first two; blanks before "TITLE:" are
// invisible in an editor, and a list that looks like one to the operator must load.
ByteSource::Status firstByte(ByteSource& source, char& c) {
    ByteSource::Status st = source.get(c);
    if (st == ByteSource::Status::Byte && static_cast<unsigned char>(c) == 0xEF) {
        char mark[2] = {0, 0};
        for (char& m : mark) {
            st = source.get(m);
            if (st != ByteSource::Status::Byte)
                return st;
        }
        if (static_cast<unsigned char>(mark[0]) != 0xBB ||
            static_cast<unsigned char>(mark[1]) != 0xBF)
            return st;  // c stays 0xEF: not an EDL
        st = source.get(c);
    }
    while (st == ByteSource::Status::Byte && (c == '\r' || c == '\n' || isBlank(c)))
        st = source.get(c);
    return st;
}

// The reel of an event line: an edit number of digits (any width), blanks, then the reel up
// to the next blank. Nothing for any other line (comments, titles, FCM, speed, split and
// note lines).
std::optional<std::string> eventReel(const std::string& line) {
    std::size_t i = 0;
    while (i < line.size() && LoggerEDL::isnumeric(line[i]))
        ++i;
    if (i == 0 || i == line.size() || !isBlank(line[i]))
        return std::nullopt;
    // The logger's own layout (three digits, two blanks): the name starts at position 5,
    // even when the name itself starts with a blank.
    if (i == 3 && line.compare(3, 2, "  ") == 0) {
        const std::size_t blank = line.find(' ', 5);
        if (blank == std::string::npos)
            return std::nullopt;
        return line.substr(5, blank - 5);
    }
    while (i < line.size() && isBlank(line[i]))
        ++i;
    std::size_t end = i;
    while (end < line.size() && !isBlank(line[end]))
        ++end;
    if (end == i || end == line.size())
        return std::nullopt;
    return line.substr(i, end - i);
}

// What a list says of its own rate, when it says anything: its FCM line, or a frame number
// the console's rate has not got.
std::string otherRate(const std::string& line, FrameRate rate) {
    if (line.compare(0, 4, "FCM:") == 0) {
        const bool drop = line.find("DROP FRAME") != std::string::npos &&
                          line.find("NON-DROP") == std::string::npos;
        if (drop != isDropFrame(rate))
            return drop ? "it is drop-frame" : "it is non-drop-frame";
    }
    return {};
}
}  // namespace

LoggerLoadResult LoggerEDL::LoadEDL(const std::string& path) {
    Utils::OutLine(" ");
    LoggerLoadResult result;
    // Non-blocking open: a FIFO or device named by mistake must not hang the window.
    loggerio::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0) {
        fail(result, loggerio::openFailureLine(errno));
    } else if (::fstat(fd.get(), &info) != 0) {
        fail(result, loggerio::ioFailureLine(errno, 1));
    } else if (S_ISDIR(info.st_mode)) {
        fail(result, loggerio::ioFailureLine(EISDIR, 1));
    } else if (!S_ISREG(info.st_mode)) {
        fail(result, "FileIOError: not a regular file 1");
    } else {
        FileSource source(fd.get());
        result = loadFrom(source);
    }
    if (int err = fd.close(); err != 0)
        Utils::OutLine(loggerio::ioFailureLine(err, 2));
    Utils::OutLine(" ");
    return result;
}

LoggerLoadResult LoggerEDL::LoadEDLBytes(std::string_view bytes) {
    Utils::OutLine(" ");
    MemorySource source(bytes);
    LoggerLoadResult result = loadFrom(source);
    Utils::OutLine(" ");
    return result;
}

LoggerLoadResult LoggerEDL::loadFrom(ByteSource& source) {
    LoggerLoadResult result;
    char first = 0;
    ByteSource::Status st = firstByte(source, first);
    if (st != ByteSource::Status::Byte) {
        // An empty file fails at its first byte.
        std::string what = st == ByteSource::Status::End ? std::string("end of file")
                                                         : loggerio::describe(source.error);
        fail(result, "FileIOError: " + what + " 1");
        return result;
    }
    // Not an EDL: read nothing more. The T is consumed; the title line is read without it.
    if (first != 'T')
        return result;

    LineReader reader(source, loggerio::MaxLine);
    std::string line;
    int entry = 0;
    for (int lineNumber = 1; entry < LoggerTable::NumEntries; ++lineNumber) {
        st = reader.next(line);
        if (st == ByteSource::Status::End)
            break;
        if (st == ByteSource::Status::Error) {
            fail(result, loggerio::ioFailureLine(source.error, 1));
            break;
        }
        if (!takeEventLine(line, lineNumber, entry, result))
            break;
    }
    result.count = entry;
    return result;
}

// One line of the file; false ends the load.
bool LoggerEDL::takeEventLine(const std::string& line, int lineNumber, int& entry,
                              LoggerLoadResult& result) {
    if (line.size() <= 5)
        return true;
    if (verbose)
        Utils::OutLine(line);
    noteRate(otherRate(line, rate), result);
    // Header, comment and short lines carry no event.
    if (line.size() <= 60 || line.compare(0, 3, "TIT") == 0)
        return true;
    std::optional<std::string> name = eventReel(line);
    if (!name)
        return true;
    if (getsourcetime(line) == SourceTimes::PastEnd) {
        result.stoppedAtShortLine = true;
        result.statusMessage = "EDL line " + std::to_string(lineNumber) +
                               " ends before its source out: loading stopped after entry " +
                               std::to_string(entry);
        Utils::OutLine(result.statusMessage);
        return false;
    }
    table.ClipNameArray[entry] = *name;
    table.SrcInArray[entry] = timestring1;
    table.SrcOutArray[entry] = timestring2;
    for (const std::string& time : {timestring1, timestring2}) {
        if (framesPerSecond(rate) < 30 && loggertc::isTimeText(time) &&
            !loggertc::isValidTimeText(time, rate) &&
            loggertc::isValidTimeText(time, FrameRate::Fps30))
            noteRate("it has frame numbers past " + std::to_string(lastFrame(rate)), result);
    }
    ++entry;
    return true;
}

// One warning per load, from the first sign that the list counts at another rate.
void LoggerEDL::noteRate(const std::string& why, LoggerLoadResult& result) const {
    if (why.empty() || !result.rateWarning.empty())
        return;
    result.rateWarning = "This EDL is of another frame rate (" + why + ") than the console's " +
                         std::string(frameRateName(rate)) +
                         " fps: its record times are counted again at " +
                         std::string(frameRateName(rate)) + " fps when it is saved";
    Utils::OutLine(result.rateWarning);
}

}  // namespace vemo::core
