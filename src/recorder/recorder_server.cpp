#include "recorder/recorder_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/utils.h"
#include "remote/client_socket.h"
#include "remote/socket_address.h"

namespace vemo::recorder {
namespace {

// Lines of one controller handed to the deck thread and not yet answered; past this its
// socket is not read until the deck catches up, so a flood cannot grow any queue.
constexpr int kMaxPending = 32;
// How often the deck thread looks at the deck for the asynchronous messages: about the
// polling thread's time-code pass.
constexpr auto kLookEvery = std::chrono::milliseconds(40);
// A controller silent for this many of its watchdog periods is taken for gone.
constexpr int kWatchdogPeriods = 2;

}  // namespace

RecorderServer::RecorderServer(RecorderDeck& deck, const ClipSource& clips)
    : deck_(deck), clips_(clips) {}

RecorderServer::~RecorderServer() {
    stop();
}

bool RecorderServer::listen(const RecorderConfig& config) {
    auto fail = [&](const std::string& why, const std::string& key) {
        core::OutLine("Recorder server: " + why);
        failure_ = why + " (change " + key + " in " + core::kSettingsFile + ")";
        return false;
    };
    const std::string& host = config.server.host;
    auto address = remote::parseAddress(host, config.port);
    if (!address)
        return fail("\"" + host + "\" is not a numeric IPv4 or IPv6 address", "ServerAddress");
    int err = 0;
    core::UniqueFd fd = remote::listenOn(*address, err);
    if (err != 0) {
        return fail("cannot listen on " + remote::hostPort(host, address->family, config.port) +
                        ": " + std::strerror(err),
                    err == EADDRNOTAVAIL ? "ServerAddress" : "RecorderServerPort");
    }
    wake_ = core::UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake_.valid())
        return fail(std::string("no event descriptor: ") + std::strerror(errno),
                    "RecorderServerPort");
    const int bound = remote::boundPort(fd.get());
    listener_ = std::move(fd);
    port_.store(bound);
    core::OutLine("Recorder server listening on " + remote::hostPort(host, address->family, bound) +
                  " for up to " + std::to_string(config.clients) + " controllers");
    core::OutLine("Recorder server allows controllers from " + config.server.allow.describe());
    core::OutLine(config.recordAllowed ? "Recorder server passes record to the deck"
                                       : "Recorder server refuses record");
    return true;
}

bool RecorderServer::start(const RecorderConfig& config) {
    if (socketThread_.joinable() || stopSignal_.raised())
        return false;
    config_ = config;
    if (!listen(config))
        return false;
    failure_.clear();
    deckThread_ = std::jthread([this](std::stop_token stop) { driveDeck(stop); });
    socketThread_ = std::jthread([this](std::stop_token stop) { serveSockets(stop); });
    return true;
}

void RecorderServer::stop() {
    stopSignal_.raise();
    if (socketThread_.joinable()) {
        socketThread_.request_stop();
        socketThread_.join();
    }
    if (deckThread_.joinable()) {
        deckThread_.request_stop();
        deckThread_.join();
    }
    {
        std::lock_guard<std::mutex> lock(jobsMutex_);
        jobs_.clear();
    }
    listener_.reset();
    port_.store(-1);
}

std::vector<RecorderServer::ConnectionPtr> RecorderServer::connectionList() {
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    return connections_;
}

void RecorderServer::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wake_.get(), &one, sizeof one);
}

// ---- the socket thread

void RecorderServer::serveSockets(std::stop_token stop) {
    std::stop_callback raise(stop, [this] { stopSignal_.raise(); });
    std::vector<pollfd> fds;
    std::vector<ConnectionPtr> polled;
    while (!stopSignal_.raised()) {
        polled = connectionList();
        fds.assign({{listener_.get(), POLLIN, 0},
                    {stopSignal_.fd(), POLLIN, 0},
                    {wake_.get(), POLLIN, 0}});
        int timeoutMs = 1000;
        for (const ConnectionPtr& c : polled) {
            short events = 0;
            if (c->pending.load() < kMaxPending && !c->closing())
                events |= POLLIN;
            if (c->hasOutput())
                events |= POLLOUT;
            fds.push_back({c->fd.get(), events, 0});
        }
        if (::poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR)
            break;
        if (stopSignal_.raised())
            break;
        if ((fds[2].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] ssize_t n = ::read(wake_.get(), &count, sizeof count);
        }
        if ((fds[0].revents & POLLIN) != 0)
            acceptControllers();
        const auto now = Connection::Clock::now();
        for (std::size_t i = 0; i < polled.size(); ++i) {
            const ConnectionPtr& c = polled[i];
            const short revents = fds[i + 3].revents;
            if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0 && !readFrom(*c)) {
                close(c, nullptr);
                continue;
            }
            handOverLines(c);
            if (!c->flush()) {
                close(c, "Recorder server dropped a controller that stopped reading");
                continue;
            }
            if (c->closing() && !c->hasOutput() && c->pending.load() == 0) {
                close(c, nullptr);
                continue;
            }
            const int period = c->watchdog.load();
            if (period > 0 && now - c->heard > std::chrono::seconds(period * kWatchdogPeriods))
                close(c, "Recorder server closed a controller silent past its watchdog");
        }
    }
    for (const ConnectionPtr& c : connectionList())
        close(c, nullptr);
}

void RecorderServer::acceptControllers() {
    while (true) {
        int accepted = ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (accepted < 0)
            return;  // none waiting, or gone again; a full descriptor table waits for the next
        core::UniqueFd fd(accepted);
        remote::Peer peer = remote::peerOf(fd.get());
        if (!config_.server.allow.anyone() && !(peer.v4 && config_.server.allow.allows(*peer.v4))) {
            core::OutLine("Recorder server refused a controller from " + peer.text +
                          ": not in ServerAllow");
            continue;
        }
        if (count_.load() >= config_.clients) {
            // The protocol's word for it, then the close; a full socket just gets the close.
            const std::string text = Session::rejected();
            [[maybe_unused]] ssize_t n =
                ::send(fd.get(), text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            core::OutLine("Recorder server rejected a controller from " + peer.text + ": " +
                          std::to_string(config_.clients) + " are connected");
            continue;
        }
        remote::tuneClientSocket(fd.get(), config_.server.keepAlive);
        Session session(deck_, clips_, SessionOptions{config_.recordAllowed});
        auto c = std::make_shared<Connection>(std::move(fd), peer.text, std::move(session),
                                              config_.server.queueLimit);
        c->queue(Session::banner(deck_));
        {
            std::lock_guard<std::mutex> lock(connectionsMutex_);
            connections_.push_back(c);
        }
        count_.fetch_add(1);
        core::OutLine("Recorder server: controller connected from " + c->peer);
    }
}

bool RecorderServer::readFrom(Connection& c) {
    char buffer[4096];
    ssize_t n = ::recv(c.fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0)
        return errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK;
    if (n == 0)
        return false;
    c.heard = Connection::Clock::now();
    c.input.feed(buffer, static_cast<std::size_t>(n));
    // A line past the limit has no reply that fits: the connection ends.
    return !c.input.overflow();
}

void RecorderServer::handOverLines(const ConnectionPtr& c) {
    bool any = false;
    while (!c->closing() && c->pending.load() < kMaxPending) {
        auto line = c->input.next();
        if (!line)
            break;
        c->pending.fetch_add(1);
        std::lock_guard<std::mutex> lock(jobsMutex_);
        jobs_.push_back({c, std::move(*line)});
        any = true;
    }
    if (any)
        jobsReady_.notify_one();
}

void RecorderServer::close(const ConnectionPtr& c, const char* why) {
    if (c->gone.exchange(true))
        return;
    c->fd.reset();
    {
        std::lock_guard<std::mutex> lock(connectionsMutex_);
        std::erase(connections_, c);
    }
    count_.fetch_sub(1);
    core::OutLine(why != nullptr ? std::string(why) + " at " + c->peer
                                 : "Recorder server: controller at " + c->peer + " closed");
}

// ---- the deck thread

void RecorderServer::driveDeck(std::stop_token stop) {
    Snapshot last = takeSnapshot(deck_, clips_.clips());
    auto nextLook = Connection::Clock::now() + kLookEvery;
    while (!stop.stop_requested()) {
        std::optional<Job> job;
        {
            std::unique_lock<std::mutex> lock(jobsMutex_);
            jobsReady_.wait_until(lock, stop, nextLook, [this] { return !jobs_.empty(); });
            if (!jobs_.empty()) {
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
        }
        if (job)
            runJob(*job);
        if (Connection::Clock::now() >= nextLook) {
            pushNotifications(last);
            nextLook = Connection::Clock::now() + kLookEvery;
        }
    }
}

void RecorderServer::runJob(Job& job) {
    Connection& c = *job.connection;
    if (!c.gone.load()) {
        std::optional<Session::Outcome> outcome;
        try {
            outcome = c.session.feed(job.line);
        } catch (const std::exception& e) {
            // Still exactly one reply: the controller's queue stays in step.
            core::OutLine(std::string("Recorder server: a command failed: ") + e.what());
            outcome = Session::Outcome{"108 internal error\r\n", false};
        }
        c.watchdog.store(c.session.watchdogSeconds());
        if (outcome) {
            c.queue(outcome->reply);
            if (outcome->close)
                c.closeAfterReply();
        }
    }
    c.pending.fetch_sub(1);
    wake();
}

void RecorderServer::pushNotifications(Snapshot& last) {
    const Snapshot now = takeSnapshot(deck_, clips_.clips());
    bool any = false;
    for (const ConnectionPtr& c : connectionList()) {
        const std::string text = c->session.notifications(last, now);
        if (!text.empty() && !c->gone.load()) {
            c->queue(text);
            any = true;
        }
    }
    last = now;
    if (any)
        wake();
}

}  // namespace vemo::recorder
