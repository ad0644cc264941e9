#include "remote/outgoing_queue.h"

#include <sys/socket.h>

#include <cerrno>

namespace vemo::remote {

bool OutgoingQueue::push(std::string message) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (overflow_.load())
        return false;
    if (bytes_ + message.size() > limit_) {
        overflow_.store(true);
        return false;
    }
    bytes_ += message.size();
    out_.push_back(std::move(message));
    return true;
}

bool OutgoingQueue::pending() {
    std::lock_guard<std::mutex> lock(mutex_);
    return !out_.empty();
}

bool OutgoingQueue::flush(int fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (overflow_.load())
        return false;
    while (!out_.empty()) {
        const std::string& message = out_.front();
        // Never blocks: whoever queues a message waits at most for one such call.
        ssize_t n = ::send(fd, message.data() + sentOfFront_, message.size() - sentOfFront_,
                           MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        sentOfFront_ += static_cast<std::size_t>(n);
        if (sentOfFront_ == message.size()) {
            bytes_ -= message.size();
            out_.pop_front();
            sentOfFront_ = 0;
        }
    }
    return true;
}

void OutgoingQueue::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    out_.clear();
    bytes_ = 0;
    sentOfFront_ = 0;
}

}  // namespace vemo::remote
