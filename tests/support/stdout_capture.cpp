#include "support/stdout_capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "core/utils.h"
#include "support/log_text.h"
#include "support/temp_dir.h"

namespace vemo::test {

StdoutCapture::StdoutCapture() {
    char templ[] = "/tmp/vemo-stdout-XXXXXX";
    int fd = ::mkstemp(templ);
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    path_ = templ;
    // Each capture stands alone: a line the last one ended with is written again here.
    core::Utils::endRepeats();
    std::fflush(stdout);
    saved_ = ::dup(STDOUT_FILENO);
    ::dup2(fd, STDOUT_FILENO);
    ::close(fd);
}

StdoutCapture::~StdoutCapture() {
    finish();
    ::unlink(path_.c_str());
}

std::string StdoutCapture::text() const {
    std::fflush(stdout);
    return readFile(path_);
}

std::vector<std::string> StdoutCapture::lines() const {
    return linesOf(text());
}

bool StdoutCapture::hasLine(const std::string& line) const {
    return test::hasLine(text(), line);
}

std::string StdoutCapture::finish() {
    if (!finished_) {
        core::Utils::endRepeats();
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
        finished_ = true;
    }
    return readFile(path_);
}

}  // namespace vemo::test
