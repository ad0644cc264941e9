#include "remote/client_socket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <exception>

#include "core/utils.h"

namespace vemo::remote {

ClientSocket::ClientSocket(int ss, deck::LocalVCR& svcr, const StopSignal& stop)
    : ss_(ss),
      svcr_(svcr),
      stop_(stop),
      // A long "Wait" from a client must not hold up the server's stop.
      dispatcher_(svcr, [&stop](int ms) { stop.sleepFor(ms); }) {}

ClientSocket::~ClientSocket() = default;

void ClientSocket::run() {
    a_.store(false);
    ShowStat("Awaiting Client Connection");
    Accept got = acceptClient();
    if (got == Accept::accepted)
        ShowStat("Client Connection Accepted!");
    if (got == Accept::accepted && openStreams() && sendLine("OK")) {
        a_.store(true);
        svcr_.setConnectThread(shared_from_this());
        serve();
    } else if (got != Accept::stopped) {
        ShowStat("I/O Open Unsuccessful");
    }
    a_.store(false);
    Close(false);
    core::OutLine("Server Loop Close");
}

ClientSocket::Accept ClientSocket::acceptClient() {
    while (true) {
        pollfd fds[2] = {{ss_, POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return Accept::failed;
        }
        if (stop_.raised())
            return Accept::stopped;
        if ((fds[0].revents & (POLLERR | POLLNVAL)) != 0)
            return Accept::failed;
        int fd = ::accept4(ss_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            std::lock_guard<std::mutex> lock(csMutex_);
            cs_ = core::UniqueFd(fd);
            accepted_.store(true);
            return Accept::accepted;
        }
        // The client may have gone again before we took it; wait for the next one.
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED ||
            errno == EPROTO) {
            continue;
        }
        return Accept::failed;
    }
}

bool ClientSocket::openStreams() {
    if (!cs_.valid())
        return false;
    // Replies are short lines that should leave at once; a failure here changes nothing else.
    int on = 1;
    ::setsockopt(cs_.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return true;
}

void ClientSocket::serve() {
    while (a_.load()) {
        str_.clear();
        Read got = readLine(str_);
        if (got == Read::stopped)
            break;
        if (got == Read::failed) {
            core::OutLine("Server ReadLine I/O Error");
            break;
        }
        if (got == Read::tooLong) {
            ShowStat("Line too long: connection closed");
            break;
        }
        if (got == Read::end) {
            ShowStat("Client Command: null");
            ShowStat("Null Close");
            break;
        }
        ShowStat("Client Command: " + str_);
        if (str_.empty()) {
            ShowStat("Len=0 Close");
            break;
        }
        if (str_ == "Close" || str_ == "KILL") {
            ShowStat("Client Closed Connection!");
            break;
        }
        try {
            dispatcher_.ParseNetCommand(str_);
        } catch (const std::exception& e) {
            // A command that fails on the deck does not end the connection.
            core::OutLine(std::string("Client command failed: ") + e.what());
        }
    }
    a_.store(false);
}

ClientSocket::Read ClientSocket::readLine(std::string& line) {
    char buffer[LineBuffer::kMaxLine];
    while (true) {
        if (auto next = csin_.next()) {
            line = std::move(*next);
            return Read::line;
        }
        if (csin_.overflow())
            return Read::tooLong;
        if (writeFailed_.load())
            return Read::failed;
        if (eof_) {
            if (auto rest = csin_.finish()) {
                line = std::move(*rest);
                return Read::line;
            }
            return Read::end;
        }
        pollfd fds[2] = {{cs_.get(), POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return Read::failed;
        }
        if (stop_.raised())
            return Read::stopped;
        ssize_t n = ::recv(cs_.get(), buffer, sizeof buffer, 0);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return Read::failed;
        }
        if (n == 0) {
            eof_ = true;
        } else {
            csin_.feed(buffer, static_cast<std::size_t>(n));
        }
    }
}

void ClientSocket::Send(const std::string& text) {
    sendLine(text);
}

bool ClientSocket::sendLine(const std::string& text) {
    using Clock = std::chrono::steady_clock;
    std::string message = text + "\r\n";
    std::lock_guard<std::mutex> lock(csMutex_);
    if (!cs_.valid() || writeFailed_.load())
        return false;
    // One deadline for the whole message, however slowly a client takes it.
    const auto deadline = Clock::now() + std::chrono::milliseconds(kSendTimeoutMs);
    const char* data = message.data();
    std::size_t left = message.size();
    while (left > 0) {
        ssize_t n = ::send(cs_.get(), data, left, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            data += n;
            left -= static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd p{cs_.get(), POLLOUT, 0};
            int r = wait.count() > 0 ? ::poll(&p, 1, static_cast<int>(wait.count())) : 0;
            if (r > 0 || (r < 0 && errno == EINTR))
                continue;
        }
        // Timed out or broken: part of a line may be on the wire, so the connection ends;
        // the reader wakes from the shutdown and reports the failure.
        writeFailed_.store(true);
        ::shutdown(cs_.get(), SHUT_RDWR);
        return false;
    }
    return true;
}

void ClientSocket::Close(bool /*ignored*/) {
    if (svcr_.connectThread().get() == this)
        svcr_.setConnectThread(nullptr);
    {
        std::lock_guard<std::mutex> lock(csMutex_);
        cs_.reset();
    }
    if (deck::DeckDisplay* d = svcr_.display())
        d->EnableConnect(true);
    CommandB5();
}

}  // namespace vemo::remote
