#pragma once

#include <atomic>

#include "core/unique_fd.h"

namespace vemo::remote {

// A one-way stop latch that threads blocked in poll() can wait on beside their sockets: once
// raised, its descriptor stays readable for good, so every waiter wakes and none can miss it.
class StopSignal {
  public:
    // Throws std::system_error when no pipe can be made.
    StopSignal();

    void raise();
    bool raised() const { return raised_.load(); }
    // Readable once raised; poll it with POLLIN.
    int fd() const { return read_.get(); }
    // Sleeps up to the given time; false when the signal was raised meanwhile.
    bool sleepFor(int milliseconds) const;

  private:
    core::UniqueFd read_;
    core::UniqueFd write_;
    std::atomic<bool> raised_{false};
};

}  // namespace vemo::remote
