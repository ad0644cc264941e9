#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "core/unique_fd.h"
#include "deck/local_vcr.h"
#include "remote/dispatcher.h"
#include "remote/line_buffer.h"
#include "remote/stop_signal.h"

namespace vemo::remote {

// One network connection: accepts one client on the listening socket, greets it with "OK",
// reads its command lines and hands each to the dispatcher; replies and cue progress words
// go back through Send. Serves exactly one connection; run() is its whole life.
class ClientSocket : public deck::NetClient, public std::enable_shared_from_this<ClientSocket> {
  public:
    // A reply that cannot be written within this time ends the connection.
    static constexpr int kSendTimeoutMs = 3000;

    // ss: the listening socket (not owned; stays open after the connection ends).
    ClientSocket(int ss, deck::LocalVCR& svcr, const StopSignal& stop);
    ~ClientSocket() override;
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;

    // The connection's whole life; run on its own thread. Must be owned by a shared_ptr.
    void run();
    // One message as one line ending in CR LF; nothing when not connected. Any thread.
    void Send(const std::string& text) override;
    // Ends the connection; the argument has no effect.
    void Close(bool ignored);

    // A client was accepted (false: the accept failed or the server stopped first).
    bool accepted() const { return accepted_.load(); }
    // The reading loop runs.
    bool connected() const { return a_.load(); }

  private:
    enum class Accept { accepted, failed, stopped };
    enum class Read { line, end, tooLong, failed, stopped };

    Accept acceptClient();
    bool openStreams();
    void serve();
    Read readLine(std::string& line);
    // False when the message could not be written whole; the connection is then shut down.
    bool sendLine(const std::string& text);
    void ShowStat(const std::string& text) { svcr_.ShowStat(text); }
    // The controller's hook for letting a client connect: nothing more to do here.
    void CommandB5() {}

    const int ss_;
    deck::LocalVCR& svcr_;
    const StopSignal& stop_;
    Dispatcher dispatcher_;

    std::mutex csMutex_;  // one whole message at a time on the wire; guards cs_ changes
    core::UniqueFd cs_;
    LineBuffer csin_;
    bool eof_ = false;
    std::atomic<bool> writeFailed_{false};
    std::atomic<bool> accepted_{false};
    std::atomic<bool> a_{false};
    std::string str_;
};

}  // namespace vemo::remote
