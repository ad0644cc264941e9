#include "recorder/connection.h"

#include <sys/socket.h>

#include <cerrno>

namespace vemo::recorder {

Connection::Connection(core::UniqueFd socket, std::string peerText, Session s,
                       std::size_t queueLimit)
    : fd(std::move(socket)), peer(std::move(peerText)), session(std::move(s)), limit_(queueLimit) {}

bool Connection::queue(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (overflow_)
        return false;
    if (outBytes_ + text.size() > limit_) {
        // A controller that does not read is not worth holding the deck's messages for.
        overflow_ = true;
        return false;
    }
    out_.push_back(text);
    outBytes_ += text.size();
    return true;
}

bool Connection::hasOutput() {
    std::lock_guard<std::mutex> lock(mutex_);
    return !out_.empty();
}

bool Connection::flush() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (overflow_)
        return false;
    while (!out_.empty()) {
        const std::string& message = out_.front();
        ssize_t n = ::send(fd.get(), message.data() + sentOfFront_, message.size() - sentOfFront_,
                           MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        sentOfFront_ += static_cast<std::size_t>(n);
        if (sentOfFront_ == message.size()) {
            outBytes_ -= message.size();
            out_.pop_front();
            sentOfFront_ = 0;
        }
    }
    return true;
}

}  // namespace vemo::recorder
