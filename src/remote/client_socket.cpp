#include "remote/client_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>
#include <system_error>
#include <vector>

#include "core/utils.h"
#include "remote/socket_address.h"

namespace vemo::remote {
namespace {

constexpr short kHangUp = POLLRDHUP | POLLHUP | POLLERR;

}  // namespace

bool tuneClientSocket(int fd, const KeepAlive& k) {
    const int on = 1;
    // Written data a dead peer never acknowledges is given up after the same time.
    const unsigned userTimeoutMs =
        static_cast<unsigned>(k.idleSeconds + k.intervalSeconds * k.count) * 1000u;
    bool ok = ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) == 0;
    ok = ok && ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &k.idleSeconds, sizeof(int)) == 0;
    ok = ok && ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &k.intervalSeconds, sizeof(int)) == 0;
    ok = ok && ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &k.count, sizeof(int)) == 0;
    ok = ok &&
         ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs) == 0;
    // Replies are short lines that should leave at once.
    ok = ok && ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
    return ok;
}

ClientSocket::ClientSocket(int ss, deck::LocalVCR& svcr, const StopSignal& stop,
                           const ServerConfig& config)
    : ss_(ss),
      svcr_(svcr),
      stop_(stop),
      config_(config),
      // A long "Wait" must not hold up the server's stop nor outlast its client.
      dispatcher_(svcr, [this](int ms) { waitServing(ms); }) {}

ClientSocket::~ClientSocket() = default;

void ClientSocket::run() {
    a_.store(false);
    ShowStat("Awaiting Client Connection");
    Accept got = acceptClient();
    if (got == Accept::refused) {
        // Never greeted, never served: one line for the refusal is all the log gets.
        Close(false);
        return;
    }
    if (got == Accept::accepted) {
        // Made only now that a client is here: at the descriptor limit that client is
        // refused and the server goes on waiting for the next one.
        wake_ = core::UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        if (!wake_.valid()) {
            int err = errno;
            core::OutLine(std::string("Server refused a connection: ") + std::strerror(err));
            ShowStat("Refused Client: " + std::string(std::strerror(err)));
            Close(false);
            return;
        }
    }
    if (got == Accept::accepted)
        ShowStat("Client Connection Accepted!");
    const char* why = nullptr;
    if (got == Accept::accepted && openStreams()) {
        a_.store(true);
        svcr_.setConnectThread(shared_from_this());
        why = serve();
    } else if (got != Accept::stopped) {
        ShowStat("I/O Open Unsuccessful");
    }
    a_.store(false);
    Close(false);
    // One group per connection: clients that keep failing the same way cost one line.
    if (why != nullptr) {
        core::Utils::OutLines({why, "Server Loop Close"});
    } else {
        core::OutLine("Server Loop Close");
    }
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
        int fd = ::accept4(ss_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            cs_ = core::UniqueFd(fd);
            accepted_.store(true);
            return fromAllowedAddress() ? Accept::accepted : Accept::refused;
        }
        // The client may have gone again before we took it; wait for the next one.
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED ||
            errno == EPROTO) {
            continue;
        }
        return Accept::failed;
    }
}

bool ClientSocket::fromAllowedAddress() {
    if (config_.allow.anyone())
        return true;
    Peer peer = peerOf(cs_.get());
    if (peer.v4 && config_.allow.allows(*peer.v4))
        return true;
    // The same address trying again and again collapses into one line with a count.
    core::OutLine("Server refused a connection from " + peer.text + ": not in ServerAllow");
    ShowStat("Refused Client at " + peer.text);
    return false;
}

bool ClientSocket::openStreams() {
    if (!cs_.valid())
        return false;
    // Without keepalive a peer that vanished (power, cable) would hold the connection for
    // good; a failure here leaves the client served as before.
    tuneClientSocket(cs_.get(), config_.keepAlive);
    {
        std::lock_guard<std::mutex> lock(outMutex_);
        open_ = true;
    }
    Send("OK");
    return true;
}

const char* ClientSocket::serve() {
    const char* why = nullptr;
    while (a_.load()) {
        str_.clear();
        Read got = readLine(str_);
        if (got == Read::stopped)
            break;
        if (got == Read::failed) {
            if (out_.overflowed())
                ShowStat("Client not reading: connection closed");
            why = "Server ReadLine I/O Error";
            break;
        }
        if (got == Read::tooLong) {
            ShowStat("Line too long: connection closed");
            break;
        }
        if (got == Read::idle) {
            ShowStat("Idle Close");
            why = "Server closed an idle connection";
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
    // What is still queued goes if the socket takes it now; nobody waits for the rest.
    flush();
    return why;
}

ClientSocket::Read ClientSocket::readLine(std::string& line) {
    char buffer[LineBuffer::kMaxLine];
    const int idleMs = config_.idleTimeoutSeconds * 1000;
    auto quietSince = Clock::now();
    while (true) {
        // Lines that came before a hang-up during a "Wait" are not run: they were meant for
        // after the wait.
        if (hungUp_)
            return Read::end;
        if (auto next = csin_.next()) {
            line = std::move(*next);
            return Read::line;
        }
        if (csin_.overflow())
            return Read::tooLong;
        if (!flush())
            return Read::failed;
        if (eof_) {
            if (auto rest = csin_.finish()) {
                line = std::move(*rest);
                return Read::line;
            }
            return Read::end;
        }
        int timeout = -1;
        if (idleMs > 0) {
            auto quiet =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - quietSince);
            if (quiet.count() >= idleMs)
                return Read::idle;
            timeout = idleMs - static_cast<int>(quiet.count());
        }
        int revents = waitFor(static_cast<short>(POLLIN | (pending() ? POLLOUT : 0)), timeout);
        if (stop_.raised())
            return Read::stopped;
        if (revents < 0)
            return Read::failed;
        if ((revents & (POLLIN | POLLHUP | POLLERR)) == 0)
            continue;
        ssize_t n = ::recv(cs_.get(), buffer, sizeof buffer, 0);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return Read::failed;
        }
        if (n == 0) {
            eof_ = true;
        } else {
            quietSince = Clock::now();
            csin_.feed(buffer, static_cast<std::size_t>(n));
        }
    }
}

void ClientSocket::waitServing(int milliseconds) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (!stop_.raised() && !hungUp_) {
        // A broken or overflowing connection shows itself at the next read.
        if (!flush())
            return;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return;
        // Lines sent meanwhile stay in the socket; only the client going away ends the wait.
        int revents = waitFor(static_cast<short>(POLLRDHUP | (pending() ? POLLOUT : 0)),
                              static_cast<int>(left.count()));
        if (revents < 0)
            return;
        if ((revents & kHangUp) != 0) {
            hungUp_ = true;
            ShowStat("Client hung up during Wait");
        }
    }
}

int ClientSocket::waitFor(short events, int timeoutMs) {
    pollfd fds[3] = {{cs_.get(), events, 0}, {stop_.fd(), POLLIN, 0}, {wake_.get(), POLLIN, 0}};
    int r = ::poll(fds, 3, timeoutMs);
    if (r < 0)
        return errno == EINTR ? 0 : -1;
    if ((fds[2].revents & POLLIN) != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] ssize_t n = ::read(wake_.get(), &count, sizeof count);
    }
    return fds[0].revents;
}

void ClientSocket::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wake_.get(), &one, sizeof one);
}

void ClientSocket::Send(const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(outMutex_);
        if (!open_)
            return;
        // A client that does not read is not worth holding the deck's messages for: past
        // the limit the queue takes nothing more and the connection ends.
        out_.push(text + "\r\n");
    }
    wake();
}

bool ClientSocket::pending() {
    return out_.pending();
}

bool ClientSocket::flush() {
    return out_.flush(cs_.get());
}

void ClientSocket::Close(bool /*ignored*/) {
    if (svcr_.connectThread().get() == this)
        svcr_.setConnectThread(nullptr);
    {
        std::lock_guard<std::mutex> lock(outMutex_);
        open_ = false;
        out_.clear();
    }
    cs_.reset();
    if (deck::DeckDisplay* d = svcr_.display())
        d->EnableConnect(true);
    CommandB5();
}

}  // namespace vemo::remote
