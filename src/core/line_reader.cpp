#include "core/line_reader.h"

#include <unistd.h>

#include <cerrno>

namespace vemo::core {

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    bool open = false;  // a line has begun that no end has closed yet
    LineEnds ends;
    for (char c : text) {
        switch (ends.take(c)) {
            case LineEnds::Kind::Text:
                current.push_back(c);
                open = true;
                break;
            case LineEnds::Kind::End:
                lines.push_back(std::move(current));
                current.clear();
                open = false;
                break;
            case LineEnds::Kind::Skip:
                break;
        }
    }
    if (open)
        lines.push_back(std::move(current));
    return lines;
}

ByteSource::Status FileSource::get(char& c) {
    while (pos_ == len_) {
        if (failed_)
            return Status::Error;
        ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            failed_ = true;
            return Status::Error;
        }
        if (n == 0)
            return Status::End;
        pos_ = 0;
        len_ = static_cast<std::size_t>(n);
    }
    c = buffer_[pos_++];
    return Status::Byte;
}

ByteSource::Status MemorySource::get(char& c) {
    if (pos_ >= bytes_.size())
        return Status::End;
    c = bytes_[pos_++];
    return Status::Byte;
}

ByteSource::Status LineReader::next(std::string& line) {
    using Status = ByteSource::Status;
    line.clear();
    bool any = false;
    for (;;) {
        char c = 0;
        Status st = source_.get(c);
        if (st == Status::End)
            return any ? Status::Byte : Status::End;
        if (st == Status::Error)
            return Status::Error;
        switch (ends_.take(c)) {
            case LineEnds::Kind::Skip:
                continue;
            case LineEnds::Kind::End:
                return Status::Byte;
            case LineEnds::Kind::Text:
                any = true;
                if (line.size() < maxLine_)
                    line.push_back(c);
                break;
        }
    }
}

}  // namespace vemo::core
