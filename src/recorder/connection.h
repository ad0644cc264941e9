#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

#include "core/unique_fd.h"
#include "recorder/session.h"
#include "remote/line_buffer.h"
#include "remote/outgoing_queue.h"

namespace vemo::recorder {

// One controller's connection. The socket side (descriptor, input, when it was last heard)
// belongs to the server's socket thread, the session to its deck thread; the outgoing queue
// is shared under its lock: the deck thread queues, the socket thread writes.
class Connection {
  public:
    using Clock = std::chrono::steady_clock;

    Connection(core::UniqueFd fd, std::string peer, Session session, std::size_t queueLimit);

    // Queues text for the controller; false (and marked overflowing) when the controller lets
    // more than the limit pile up. Any thread.
    bool queue(const std::string& text);
    // Writes what the socket takes now without waiting; false when the connection is broken
    // or overflowed. Socket thread.
    bool flush();
    bool hasOutput();
    // The controller said quit: closed once its reply is written.
    void closeAfterReply() { closing_.store(true); }
    bool closing() const { return closing_.load(); }

    // Socket thread's own.
    core::UniqueFd fd;
    remote::LineBuffer input;
    std::string peer;
    Clock::time_point heard = Clock::now();

    // Deck thread's own.
    Session session;

    std::atomic<int> pending{0};    // lines handed to the deck thread and not yet answered
    std::atomic<bool> gone{false};  // closed: nothing more is queued or run for it
    std::atomic<int> watchdog{0};   // seconds the controller promised a command within

  private:
    remote::OutgoingQueue out_;
    std::atomic<bool> closing_{false};
};

}  // namespace vemo::recorder
