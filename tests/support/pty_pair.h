#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vemo::test {

// An in-process pseudo-terminal pair: the program opens slaveName(), the test plays the
// device on the master side.
class PtyPair {
  public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master() const { return master_; }
    const std::string& slaveName() const { return slaveName_; }

    void writeMaster(const std::vector<std::uint8_t>& bytes);
    // A stalled line takes no bytes from the program (its writes find no room) until freed.
    void stall(bool stalled);
    // Reads what has arrived within the limit (stops early once `want` bytes are in).
    std::vector<std::uint8_t> readMaster(std::size_t want, std::chrono::milliseconds limit);

  private:
    int master_ = -1;
    int slave_ = -1;  // kept open so the line stays up while the program reopens it
    std::string slaveName_;
};

}  // namespace vemo::test
