#include "core/edl/recorder_lines.h"

#include <unistd.h>

#include <cerrno>

namespace vemo::core {

namespace {
constexpr std::size_t ChunkSize = 65536;
constexpr int AtEnd = -1;
constexpr int ReadError = -2;
}  // namespace

RecorderLineReader::RecorderLineReader(std::string_view text) : text_(text) {}

RecorderLineReader::RecorderLineReader(int fd) : fd_(fd) {}

bool RecorderLineReader::fill() {
    if (fd_ < 0 || ended_ || failed_)
        return false;
    buffer_.resize(ChunkSize);
    for (;;) {
        ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error_ = {errno, std::generic_category()};
            failed_ = true;
            buffer_.clear();
        } else if (n == 0) {
            ended_ = true;
            buffer_.clear();
        } else {
            buffer_.resize(static_cast<std::size_t>(n));
        }
        break;
    }
    text_ = buffer_;
    pos_ = 0;
    return !text_.empty();
}

int RecorderLineReader::peek() {
    if (pos_ >= text_.size() && !fill())
        return failed_ ? ReadError : AtEnd;
    return static_cast<unsigned char>(text_[pos_]);
}

int RecorderLineReader::get() {
    int c = peek();
    if (c >= 0)
        ++pos_;
    return c;
}

RecorderLineReader::Result RecorderLineReader::next(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        int c = get();
        if (c == ReadError)
            return Result::Error;
        if (c == AtEnd)
            return any ? Result::Line : Result::End;
        if (c == '\n')
            return Result::Line;
        if (c == '\r') {
            int after = peek();
            if (after == ReadError)
                return Result::Error;
            if (after == '\n')
                ++pos_;
            return Result::Line;
        }
        any = true;
        line.push_back(static_cast<char>(c));
    }
}

}  // namespace vemo::core
