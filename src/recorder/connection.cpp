#include "recorder/connection.h"

namespace vemo::recorder {

Connection::Connection(core::UniqueFd socket, std::string peerText, Session s,
                       std::size_t queueLimit)
    : fd(std::move(socket)), peer(std::move(peerText)), session(std::move(s)), out_(queueLimit) {}

// A controller that does not read is not worth holding the deck's messages for.
bool Connection::queue(const std::string& text) {
    return out_.push(text);
}

bool Connection::hasOutput() {
    return out_.pending();
}

bool Connection::flush() {
    return out_.flush(fd.get());
}

}  // namespace vemo::recorder
