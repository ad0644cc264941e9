#pragma once
// Helpers shared by the fuzz targets: choices read from the input bytes, a check that keeps
// the input when an invariant breaks, and the product's log kept off the terminal.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace vemo::fuzz {

// Takes bytes from the front of the input; past its end every read gives zeros.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    std::size_t remaining() const { return size_ - pos_; }
    std::uint8_t byte() { return empty() ? 0 : data_[pos_++]; }
    bool flag() { return (byte() & 1) != 0; }
    // A 16-bit value, low byte first.
    unsigned word() {
        unsigned lo = byte();
        return lo | (static_cast<unsigned>(byte()) << 8);
    }
    // Up to n bytes as text.
    std::string_view text(std::size_t n) {
        std::size_t take = n < remaining() ? n : remaining();
        std::string_view out(reinterpret_cast<const char*>(data_ + pos_), take);
        pos_ += take;
        return out;
    }
    std::string_view rest() { return text(remaining()); }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// abort() rather than an exception: libFuzzer keeps the input that broke the invariant.
[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

// The product writes its log lines to standard output; a run would spend its time on them.
// libFuzzer and the replay driver report on standard error.
inline void quietLog() {
    static const bool done = [] {
        std::fflush(stdout);
        int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::dup2(fd, STDOUT_FILENO);
            ::close(fd);
        }
        return true;
    }();
    (void)done;
}

}  // namespace vemo::fuzz

#define FUZZ_CHECK(cond)                                   \
    do {                                                   \
        if (!(cond))                                       \
            ::vemo::fuzz::fail(#cond, __FILE__, __LINE__); \
    } while (0)
