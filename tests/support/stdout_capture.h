#pragma once

#include <string>
#include <vector>

namespace vemo::test {

// Sends the process's standard output (where log lines go) into a temporary file until
// finish() or destruction, then restores it.
class StdoutCapture {
  public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Restores standard output and returns what was written meanwhile.
    std::string finish();
    // What was written so far, without restoring.
    std::string text() const;
    // The same, as lines without their line ends.
    std::vector<std::string> lines() const;
    // The text holds this whole line.
    bool hasLine(const std::string& line) const;

  private:
    int saved_ = -1;
    std::string path_;
    bool finished_ = false;
};

}  // namespace vemo::test
