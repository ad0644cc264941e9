#include "core/edl/logger_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/file_io.h"

namespace vemo::core::loggerio {

std::string describe(int err) {
    return std::error_code(err, std::generic_category()).message();
}

std::string openFailureLine(int err) {
    if (err == ENOENT || err == ENOTDIR)
        return "FileStreamError: " + describe(err);
    return ioFailureLine(err, 1);
}

std::string ioFailureLine(int err, int stage) {
    return "FileIOError: " + describe(err) + " " + std::to_string(stage);
}

WriteOutcome replaceFile(const std::string& path, std::string_view bytes) {
    WriteResult written = writeFileAtomically(path, bytes);
    const int err = written.error.value();
    switch (written.stage) {
        case WriteStage::None:
            return {true, {}};
        case WriteStage::Open:
        case WriteStage::Rename:
            return {false, openFailureLine(err)};
        case WriteStage::Write:
            return {false, ioFailureLine(err, 1)};
        case WriteStage::Close:
            return {false, ioFailureLine(err, 2)};
    }
    return {false, ioFailureLine(err, 1)};
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

ByteSource::Status LineReader::get(char& c) {
    if (pushed_) {
        pushed_ = false;
        c = pushedChar_;
        return ByteSource::Status::Byte;
    }
    return source_.get(c);
}

ByteSource::Status LineReader::next(std::string& line) {
    using Status = ByteSource::Status;
    line.clear();
    bool any = false;
    for (;;) {
        char c = 0;
        Status st = get(c);
        if (st == Status::End)
            return any ? Status::Byte : Status::End;
        if (st == Status::Error)
            return Status::Error;
        any = true;
        if (c == '\n')
            return Status::Byte;
        if (c == '\r') {
            // CR LF is one line end; anything else after CR starts the next line. A read
            // failure here shows on the next call (the source stays failed).
            char after = 0;
            if (get(after) == Status::Byte && after != '\n') {
                pushed_ = true;
                pushedChar_ = after;
            }
            return Status::Byte;
        }
        if (line.size() < MaxLine)
            line.push_back(c);
    }
}

}  // namespace vemo::core::loggerio
