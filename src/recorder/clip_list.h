#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace vemo::recorder {

// One logged clip: its name and its in and out points as frame counts at the console's rate.
struct LoggedClip {
    std::string name;
    int in = 0;
    int out = 0;
};

// Where the server takes the logged clips from; any thread.
class ClipSource {
  public:
    virtual ~ClipSource() = default;
    // The clips as they are now, in list order; numbered from 1 by the protocol.
    virtual std::vector<LoggedClip> clips() const = 0;
};

// A clip list that one side sets and the server reads: each read is a copy taken under the
// lock, so the logger's window and the server never share a vector. Clips with an empty name
// or an out point not after the in point are left out when set.
class SharedClipList : public ClipSource {
  public:
    void set(const std::vector<LoggedClip>& clips);
    std::vector<LoggedClip> clips() const override;

  private:
    mutable std::mutex mutex_;
    std::vector<LoggedClip> clips_;
};

}  // namespace vemo::recorder
