#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include "core/line_reader.h"

namespace vemo::remote {

// Cuts a byte stream that arrives in pieces into lines ending at LF, CR or CR LF. A CR at the
// end of one piece and the LF at the start of the next make one line end. A line that grows
// past the limit without a line end marks the buffer as overflowed and is dropped, so no
// sender can make it grow without bound.
class LineBuffer {
  public:
    static constexpr std::size_t kMaxLine = 4096;

    explicit LineBuffer(std::size_t maxLine = kMaxLine) : maxLine_(maxLine) {}

    void feed(const char* data, std::size_t size);
    // The next complete line, without its line end.
    std::optional<std::string> next();
    // A line longer than the limit came in; everything after it is ignored.
    bool overflow() const { return overflow_; }
    // End of stream: the unterminated rest, when there is one.
    std::optional<std::string> finish();

  private:
    std::size_t maxLine_;
    std::deque<std::string> lines_;
    std::string partial_;
    core::LineEnds ends_;
    bool overflow_ = false;
};

}  // namespace vemo::remote
