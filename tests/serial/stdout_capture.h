#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace vemo::test {

// Sends the process's standard output (where log lines go) into a file while it lives.
class StdoutCapture {
  public:
    StdoutCapture() {
        std::fflush(stdout);
        saved_ = ::dup(STDOUT_FILENO);
        int fd = ::open(dir_.file("out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, STDOUT_FILENO);
        ::close(fd);
    }
    ~StdoutCapture() { restore(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Puts standard output back and returns what was written meanwhile.
    std::string finish() {
        restore();
        return dir_.read("out.txt");
    }

  private:
    void restore() {
        if (saved_ < 0)
            return;
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
        saved_ = -1;
    }

    TempDir dir_;
    int saved_ = -1;
};

}  // namespace vemo::test
