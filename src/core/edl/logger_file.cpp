#include "core/edl/logger_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace vemo::core::loggerio {
namespace {
int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// A name beside the target that no other save (of this or another process) uses.
std::string tempNameFor(const std::filesystem::path& target, int attempt) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path dir = target.parent_path();
    if (dir.empty())
        dir = ".";
    std::string stem = target.filename().string().substr(0, 100);
    return (dir / ("." + stem + ".tmp-" + std::to_string(::getpid()) + "-" +
                   std::to_string(counter.fetch_add(1)) + "-" + std::to_string(attempt)))
        .string();
}
}  // namespace

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
    std::filesystem::path target(path);
    if (path.empty())
        return {false, openFailureLine(ENOENT)};
    if (target.filename().empty())
        return {false, ioFailureLine(EISDIR, 1)};

    std::string temp;
    UniqueFd fd;
    for (int attempt = 0; attempt < 100 && fd.get() < 0; ++attempt) {
        temp = tempNameFor(target, attempt);
        int raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (raw >= 0) {
            fd.reset(raw);
        } else if (errno != EEXIST) {
            return {false, openFailureLine(errno)};
        }
    }
    if (fd.get() < 0)
        return {false, ioFailureLine(EEXIST, 1)};

    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd.get(), old.st_mode & 07777);
    }
    int err = writeAll(fd.get(), bytes);
    if (err == 0 && ::fsync(fd.get()) != 0)
        err = errno;
    if (err != 0) {
        fd.close();
        ::unlink(temp.c_str());
        return {false, ioFailureLine(err, 1)};
    }
    if (int closeErr = fd.close(); closeErr != 0) {
        ::unlink(temp.c_str());
        return {false, ioFailureLine(closeErr, 2)};
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        ::unlink(temp.c_str());
        return {false, openFailureLine(err)};
    }
    return {true, {}};
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
