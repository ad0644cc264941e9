#include "remote/line_buffer.h"

namespace vemo::remote {

void LineBuffer::feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size && !overflow_; ++i) {
        char c = data[i];
        const core::LineEnds::Kind kind = ends_.take(c);
        if (kind == core::LineEnds::Kind::Skip)
            continue;
        if (kind == core::LineEnds::Kind::End) {
            lines_.push_back(std::move(partial_));
            partial_.clear();
            continue;
        }
        if (partial_.size() >= maxLine_) {
            overflow_ = true;
            partial_.clear();
            partial_.shrink_to_fit();
            return;
        }
        partial_.push_back(c);
    }
}

std::optional<std::string> LineBuffer::next() {
    if (lines_.empty())
        return std::nullopt;
    std::string line = std::move(lines_.front());
    lines_.pop_front();
    return line;
}

std::optional<std::string> LineBuffer::finish() {
    if (overflow_ || partial_.empty())
        return std::nullopt;
    std::string rest = std::move(partial_);
    partial_.clear();
    return rest;
}

}  // namespace vemo::remote
