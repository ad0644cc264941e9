#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "core/unique_fd.h"
#include "deck/local_vcr.h"
#include "remote/server_config.h"
#include "remote/stop_signal.h"

namespace vemo::remote {

// The TCP command server: one listening socket, opened once, and one server thread that
// serves one connection at a time on it. When a connection ends the next client is taken on
// the same socket without the operator doing anything; further clients wait in the socket's
// queue meanwhile. start() and stop() belong to one thread (the window's).
class CommandServer {
  public:
    // keepAlive: how a vanished client is noticed (tests shorten it).
    explicit CommandServer(deck::LocalVCR& svcr, KeepAlive keepAlive = {});
    ~CommandServer();  // stop()
    CommandServer(const CommandServer&) = delete;
    CommandServer& operator=(const CommandServer&) = delete;

    // Opens the listening socket on the port, on every local address or only on
    // the settings' server address when that is set; reports the outcome on the status line
    // and in the log. Port 0 takes any free port (see port()). Server settings that cannot
    // be used are refused here, with the key to change named on the status line.
    bool OpenServerSocket(int port);
    // OpenServerSocket (unless already open) and the first connection thread. False when the
    // socket cannot be opened or after stop(); the console then goes on without a server.
    bool start(int port);
    // Ends the connection under way (also a "Wait" it is in) and the waiting for clients,
    // joins every thread and closes the socket. Safe to call twice; final.
    void stop();

    // Why the socket could not be opened, with the settings key to change; empty when open.
    std::string failure() const { return failure_; }
    // The port the socket listens on, or -1 when it is not open.
    int port() const { return port_.load(); }
    bool running() const { return thread_.joinable() && !stop_.raised(); }

  private:
    void serveClients(std::stop_token stop);

    deck::LocalVCR& svcr_;
    ServerConfig config_;  // read by the connection threads; fixed while they run
    StopSignal stop_;
    core::UniqueFd ss_;
    std::atomic<int> port_{-1};
    std::string failure_;  // the opening thread's own
    std::jthread thread_;  // last: stopped and joined before the members it uses go
};

}  // namespace vemo::remote
