#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>

namespace vemo::remote {

// A connection's outgoing messages, bounded in bytes and written without blocking. Any
// thread may queue; the connection's own thread flushes. A peer that lets the queue pass its
// limit is not worth holding messages for: the queue then stays overflowed and takes nothing.
class OutgoingQueue {
  public:
    explicit OutgoingQueue(std::size_t limit) : limit_(limit) {}

    // False when the message would pass the limit or the queue has overflowed already.
    bool push(std::string message);
    bool pending();
    bool overflowed() const { return overflow_.load(); }
    // Writes what the socket takes now; false when it is broken or the queue overflowed.
    bool flush(int fd);
    void clear();

  private:
    std::mutex mutex_;  // guards the messages and counts below
    std::deque<std::string> out_;
    std::size_t bytes_ = 0;
    std::size_t sentOfFront_ = 0;  // bytes of the first message already on the wire
    const std::size_t limit_;
    std::atomic<bool> overflow_{false};
};

}  // namespace vemo::remote
