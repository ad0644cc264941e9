#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/edl/logger_table.h"
#include "core/frame_rate.h"

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

// The logger's clip table as clips: every entry whose name is not empty and whose in and
// out points are time codes of the rate, out after in, in table order.
std::vector<LoggedClip> clipsOfTable(const core::LoggerTable& table, core::FrameRate rate);

}  // namespace vemo::recorder
