#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

namespace vemo::core {

// Splits a source EDL into lines, from an open file or from text in memory, with one rule
// for both: a line ends at LF, CR or CR LF; a last line without an end still counts.
class RecorderLineReader {
  public:
    enum class Result { Line, End, Error };

    // Reads from memory; the text must outlive the reader.
    explicit RecorderLineReader(std::string_view text);
    // Reads from an open descriptor (not owned).
    explicit RecorderLineReader(int fd);

    Result next(std::string& line);
    // Why the last Error happened.
    std::error_code error() const { return error_; }

  private:
    // -1 at the end, -2 on a read error.
    int get();
    int peek();
    bool fill();

    std::string_view text_;
    std::size_t pos_ = 0;
    int fd_ = -1;
    std::string buffer_;
    bool failed_ = false;
    bool ended_ = false;
    std::error_code error_;
};

}  // namespace vemo::core
