#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vemo::core {

// The one rule for line ends in every text the system reads (settings, scripts, EDLs,
// network lines): a line ends at LF, CR or CR LF. It also holds when the bytes arrive in
// pieces: a CR at the end of one piece and the LF at the start of the next end one line.
class LineEnds {
  public:
    enum class Kind { Text, End, Skip };
    // What one byte is: part of a line, the end of one, or the LF of a CR LF already ended.
    Kind take(char c) {
        const bool afterCR = afterCR_;
        afterCR_ = c == '\r';
        if (afterCR && c == '\n')
            return Kind::Skip;
        return c == '\n' || c == '\r' ? Kind::End : Kind::Text;
    }

  private:
    bool afterCR_ = false;
};

// A whole text as lines; a last line without an end is a line too.
std::vector<std::string> splitLines(std::string_view text);

// Bytes of a file or of memory, one at a time.
class ByteSource {
  public:
    enum class Status { Byte, End, Error };
    virtual ~ByteSource() = default;
    virtual Status get(char& c) = 0;
    int error = 0;  // errno of the failure once get() returned Error
};

// An open descriptor (not owned), read in large pieces.
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

// Lines of a byte source; a last line without an end is a line too. Bytes of a line past
// maxLine are dropped, so no input can make a line grow without bound. A read failure
// right after a CR shows on the next call.
class LineReader {
  public:
    explicit LineReader(ByteSource& source, std::size_t maxLine = std::string::npos)
        : source_(source), maxLine_(maxLine) {}
    // Byte: line holds the next line; End: no more lines; Error: the source failed.
    ByteSource::Status next(std::string& line);

  private:
    ByteSource& source_;
    std::size_t maxLine_;
    LineEnds ends_;
};

}  // namespace vemo::core
