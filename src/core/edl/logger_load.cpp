#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "core/edl/logger_edl.h"
#include "core/edl/logger_file.h"
#include "core/utils.h"

namespace vemo::core {

namespace {
void fail(LoggerLoadResult& result, const std::string& line) {
    Utils::OutLine(line);
    result.ok = false;
    result.failure = line;
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
    ByteSource::Status st = source.get(first);
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
    // Header, comment and short lines carry no event.
    if (line.size() <= 60 || line.compare(0, 3, "TIT") == 0)
        return true;
    std::size_t blank = line.find(' ', 5);
    if (blank == std::string::npos)
        return false;
    std::string name = line.substr(5, blank - 5);
    if (getsourcetime(line) == SourceTimes::PastEnd) {
        result.stoppedAtShortLine = true;
        result.statusMessage = "EDL line " + std::to_string(lineNumber) +
                               " ends before its source out: loading stopped after entry " +
                               std::to_string(entry);
        Utils::OutLine(result.statusMessage);
        return false;
    }
    table.ClipNameArray[entry] = name;
    table.SrcInArray[entry] = timestring1;
    table.SrcOutArray[entry] = timestring2;
    ++entry;
    return true;
}

}  // namespace vemo::core
