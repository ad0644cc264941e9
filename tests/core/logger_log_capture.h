#pragma once

#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vemo::test {

// Catches what the code under test writes to standard output (the log) while it lives.
class LogCapture {
  public:
    LogCapture() {
        std::fflush(stdout);
        file_ = std::tmpfile();
        saved_ = ::dup(STDOUT_FILENO);
        if (file_ == nullptr || saved_ < 0 || ::dup2(::fileno(file_), STDOUT_FILENO) < 0) {
            throw std::runtime_error("cannot capture standard output");
        }
    }
    ~LogCapture() {
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
        std::fclose(file_);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string text() const {
        std::fflush(stdout);
        std::string out;
        char buffer[4096];
        for (off_t at = 0;;) {
            ssize_t n = ::pread(::fileno(file_), buffer, sizeof buffer, at);
            if (n <= 0)
                break;
            out.append(buffer, static_cast<std::size_t>(n));
            at += n;
        }
        return out;
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::istringstream in(text());
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    }

  private:
    std::FILE* file_ = nullptr;
    int saved_ = -1;
};

}  // namespace vemo::test
