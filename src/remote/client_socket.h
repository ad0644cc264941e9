#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "core/unique_fd.h"
#include "deck/local_vcr.h"
#include "remote/dispatcher.h"
#include "remote/line_buffer.h"
#include "remote/outgoing_queue.h"
#include "remote/server_config.h"
#include "remote/stop_signal.h"

namespace vemo::remote {

// One network connection: accepts one client on the listening socket, greets it with "OK",
// reads its command lines and hands each to the dispatcher. Replies and cue progress words
// are queued by Send and written by the connection's own thread, so no other thread ever
// waits on the client; a client that lets the queue fill up is dropped. Serves exactly one
// connection; run() is its whole life.
class ClientSocket : public deck::NetClient, public std::enable_shared_from_this<ClientSocket> {
  public:
    // ss: the listening socket (not owned; stays open after the connection ends).
    ClientSocket(int ss, deck::LocalVCR& svcr, const StopSignal& stop, const ServerConfig& config);
    ~ClientSocket() override;
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;

    // The connection's whole life; run on its own thread. Must be owned by a shared_ptr.
    void run();
    // Queues one message as one line ending in CR LF; never waits for the client. Nothing
    // when not connected. Any thread.
    void Send(const std::string& text) override;
    // Ends the connection; the argument has no effect.
    void Close(bool ignored);

    // A client was accepted (false: the accept failed or the server stopped first).
    bool accepted() const { return accepted_.load(); }
    // The reading loop runs.
    bool connected() const { return a_.load(); }

  private:
    enum class Accept { accepted, refused, failed, stopped };
    enum class Read { line, end, tooLong, idle, failed, stopped };
    using Clock = std::chrono::steady_clock;

    Accept acceptClient();
    bool fromAllowedAddress();
    bool openStreams();
    // The loop over the client's lines; the log line for a failing end, null otherwise.
    const char* serve();
    // Takes the next command line, writing queued messages meanwhile.
    Read readLine(std::string& line);
    // A network "Wait": writes queued messages meanwhile, ends early when the client hangs
    // up or the server stops.
    void waitServing(int milliseconds);
    // Writes what the socket takes now; false when the connection is broken or the client
    // let its queue overflow.
    bool flush();
    bool pending();
    // Waits for the client socket (events), the stop signal or a newly queued message;
    // timeoutMs -1: no limit. The client socket's revents, 0 when something else woke it,
    // -1 when poll failed.
    int waitFor(short events, int timeoutMs);
    void wake();
    void ShowStat(const std::string& text) { svcr_.ShowStat(text); }
    // The controller's hook for letting a client connect: nothing more to do here.
    void CommandB5() {}

    const int ss_;
    deck::LocalVCR& svcr_;
    const StopSignal& stop_;
    const ServerConfig config_;  // a copy: a cue thread may keep this object past the server
    Dispatcher dispatcher_;

    core::UniqueFd cs_;  // the connection thread's own, like everything below up to outMutex_
    // An eventfd that Send writes when the queue gains a message; made once a client is
    // accepted, before the queue opens.
    core::UniqueFd wake_;
    LineBuffer csin_;
    bool eof_ = false;
    bool hungUp_ = false;  // the client went while a "Wait" ran
    std::string peer_;

    std::mutex outMutex_;  // guards open_, and is held while a message is queued
    bool open_ = false;    // messages are taken
    OutgoingQueue out_{config_.queueLimit};

    std::atomic<bool> accepted_{false};
    std::atomic<bool> a_{false};
    std::string str_;
};

// Turns on TCP keepalive with the given timing and prompt writes of short replies; also
// bounds how long written data may stay unacknowledged. False when the system refuses.
bool tuneClientSocket(int fd, const KeepAlive& keepAlive);

}  // namespace vemo::remote
