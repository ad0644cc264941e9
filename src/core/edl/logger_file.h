#pragma once

#include <string>
#include <string_view>

#include "core/unique_fd.h"

// File access for the logger's EDL files: whole-file replacement and a byte-by-byte line
// reader, with failures turned into the logger's log lines.
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

// Bytes of a file or of memory, one at a time.
class ByteSource {
  public:
    enum class Status { Byte, End, Error };
    virtual ~ByteSource() = default;
    virtual Status get(char& c) = 0;
    int error = 0;  // errno of the failure once get() returned Error
};

class FileSource : public ByteSource {
  public:
    explicit FileSource(int fd) : fd_(fd) {}
    Status get(char& c) override;

  private:
    int fd_;
    bool failed_ = false;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    char buffer_[16384];
};

class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    Status get(char& c) override;

  private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// Text lines ended by LF, CR or CR LF; a last line without an end is a line too. Bytes of a
// line past MaxLine are dropped, so no input can make a line grow without bound.
class LineReader {
  public:
    static constexpr std::size_t MaxLine = 65536;
    explicit LineReader(ByteSource& source) : source_(source) {}
    // Byte: line holds the next line; End: no more lines; Error: the source failed.
    ByteSource::Status next(std::string& line);

  private:
    ByteSource::Status get(char& c);
    ByteSource& source_;
    bool pushed_ = false;
    char pushedChar_ = 0;
};

}  // namespace vemo::core::loggerio
