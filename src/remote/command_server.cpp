#include "remote/command_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "core/utils.h"
#include "remote/client_socket.h"
#include "remote/socket_address.h"

namespace vemo::remote {
namespace {

// After a failed accept (out of descriptors, say) the next try waits this long.
constexpr int kRetryMs = 1000;

// Who can reach a server on this address: only this machine when it listens on a loopback
// address, whatever the allow list says of other machines.
std::string whoMayConnect(const std::string& host, const AllowList& allow) {
    in_addr v4{};
    in6_addr v6{};
    const bool loopback =
        (::inet_pton(AF_INET, host.c_str(), &v4) == 1 && (ntohl(v4.s_addr) >> 24) == 127) ||
        (::inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6));
    if (loopback && allow.anyone())
        return "this machine only (" + host + ")";
    return allow.describe();
}

}  // namespace

CommandServer::CommandServer(deck::LocalVCR& svcr, KeepAlive keepAlive) : svcr_(svcr) {
    config_.keepAlive = keepAlive;
}

CommandServer::~CommandServer() {
    stop();
}

bool CommandServer::OpenServerSocket(int port) {
    // The console goes on without a server; the operator is told what to change.
    auto fail = [&](const std::string& why, const char* key) {
        core::OutLine("Command server: " + why);
        failure_ = why + " (change " + key + " in " + core::kSettingsFile + ")";
        svcr_.ShowError("Can't Get ServerSocket at Port " + std::to_string(port) + ": " + failure_);
        return false;
    };
    if (thread_.joinable())
        return fail("the server socket is already in use", "ServerPort");
    if (port < 0 || port > 65535)
        return fail("port " + std::to_string(port) + " is out of range", "ServerPort");
    ServerConfigResult read = serverConfig(svcr_.settings());
    if (!read.config)
        return fail(read.error, read.key.c_str());
    auto address = parseAddress(read.config->host, port);
    if (!address)
        return fail("\"" + read.config->host + "\" is not a numeric IPv4 or IPv6 address",
                    "ServerAddress");
    const std::string& host = read.config->host;
    KeepAlive keepAlive = config_.keepAlive;
    config_ = *read.config;
    config_.keepAlive = keepAlive;

    int err = 0;
    core::UniqueFd fd = listenOn(*address, err);
    if (err != 0) {
        return fail(
            "cannot listen on " + hostPort(host, address->family, port) + ": " + std::strerror(err),
            err == EADDRNOTAVAIL ? "ServerAddress" : "ServerPort");
    }
    int bound = boundPort(fd.get());
    failure_.clear();
    ss_ = std::move(fd);
    port_.store(bound);
    core::OutLine("Command server listening on " + hostPort(host, address->family, bound));
    core::OutLine("Command server allows clients from " + whoMayConnect(host, config_.allow));
    if (config_.idleTimeoutSeconds > 0) {
        core::OutLine("Command server closes connections idle for " +
                      std::to_string(config_.idleTimeoutSeconds) + " s");
    }
    svcr_.ShowStat("Server Socket Opened OK at Port " + std::to_string(bound));
    return true;
}

bool CommandServer::start(int port) {
    if (stop_.raised())
        return false;
    if (thread_.joinable())
        return true;
    if (!ss_.valid() && !OpenServerSocket(port))
        return false;
    thread_ = std::jthread([this](std::stop_token stop) { serveClients(stop); });
    return true;
}

void CommandServer::serveClients(std::stop_token stop) {
    // The connections poll the stop signal's descriptor beside their sockets.
    std::stop_callback raise(stop, [this] { stop_.raise(); });
    while (!stop_.raised()) {
        bool accepted = false;
        // One connection at a time, served on this thread; whatever it meets (memory, say)
        // ends that connection, never the server.
        try {
            auto client = std::make_shared<ClientSocket>(ss_.get(), svcr_, stop_, config_);
            client->run();
            accepted = client->accepted();
        } catch (const std::exception& e) {
            core::OutLine(std::string("Command server: a connection failed: ") + e.what());
        }
        if (!accepted)
            stop_.sleepFor(kRetryMs);
    }
}

void CommandServer::stop() {
    stop_.raise();
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    ss_.reset();
    port_.store(-1);
}

}  // namespace vemo::remote
