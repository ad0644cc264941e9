#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace vemo::core {

// Owns one file descriptor and closes it when it goes, so no exit path can leak it.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes the one held (if any) and takes fd.
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes now; the errno of a failed close, 0 on success.
    int close() {
        if (fd_ < 0)
            return 0;
        int fd = std::exchange(fd_, -1);
        // Linux releases the descriptor even when close reports EINTR: never retry.
        return ::close(fd) == 0 ? 0 : errno;
    }

  private:
    int fd_ = -1;
};

}  // namespace vemo::core
