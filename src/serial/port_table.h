#pragma once

#include <sys/ioctl.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "serial/unique_fd.h"

namespace vemo::serial::detail {

// One open device. Held through shared pointers so an operation on one thread keeps the
// descriptor alive while another thread closes the port.
struct PortEntry {
    UniqueFd fd;
    std::string path;        // the device as opened
    bool exclusive = false;  // TIOCEXCL taken: released before the descriptor closes
    std::atomic<int> timeoutRx{0};
    std::atomic<int> timeoutTx{2147483647};
    std::atomic<bool> closed{false};  // set by close: waits on other threads give up
    // Error counters seen at the last question, so each signal reports news only.
    std::mutex countMutex;
    int seenBrk = 0, seenFrame = 0, seenOverrun = 0, seenParity = 0, seenBufOverrun = 0;

    PortEntry() = default;
    PortEntry(const PortEntry&) = delete;
    PortEntry& operator=(const PortEntry&) = delete;
    ~PortEntry() {
        if (exclusive && fd.valid())
            ::ioctl(fd.get(), TIOCNXCL);
    }
};

using PortPtr = std::shared_ptr<PortEntry>;

// The open ports by index. Indices of "COMn" names are n - 1, "/dev/ttyS<k>" is k; other
// device paths get a free index from kFirstFreeIndex up.
class PortTable {
  public:
    static constexpr int kFirstFreeIndex = 256;

    static PortTable& instance();

    PortPtr find(int index) const;
    // True when this device is already open here (by the same path).
    bool holds(const std::string& path) const;
    // Stores the entry under the index, or under a free index when index is -1; returns the
    // index used, or -1 when the index is taken.
    int insert(int index, PortPtr entry);
    PortPtr remove(int index);

  private:
    mutable std::mutex mutex_;
    std::map<int, PortPtr> ports_;
};

}  // namespace vemo::serial::detail
