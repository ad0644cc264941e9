#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "core/line_reader.h"

namespace vemo::core {

// Splits a source EDL into lines, from an open file or from text in memory, with the one
// line rule of core::LineReader.
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
    std::unique_ptr<ByteSource> source_;
    LineReader reader_;
    std::error_code error_;
};

}  // namespace vemo::core
