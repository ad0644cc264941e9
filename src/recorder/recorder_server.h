#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/unique_fd.h"
#include "recorder/clip_list.h"
#include "recorder/connection.h"
#include "recorder/recorder_config.h"
#include "recorder/recorder_deck.h"
#include "remote/stop_signal.h"

namespace vemo::recorder {

// The disk-recorder server: several controllers at once on one listening socket. Two owned
// threads: the socket thread accepts, reads lines and writes every connection's queue; the
// deck thread runs each line's command on the deck, queues its one reply, and pushes the
// asynchronous messages. No deck operation ever waits on a socket, and no socket on the deck.
class RecorderServer {
  public:
    RecorderServer(RecorderDeck& deck, const ClipSource& clips);
    ~RecorderServer();  // stop()
    RecorderServer(const RecorderServer&) = delete;
    RecorderServer& operator=(const RecorderServer&) = delete;

    // Opens the listening socket and starts both threads; logs what it serves. False, with
    // failure() naming the key to change, when the socket cannot be opened.
    bool start(const RecorderConfig& config);
    // Closes every connection, joins both threads and closes the socket. Safe to call twice.
    void stop();

    std::string failure() const { return failure_; }
    int port() const { return port_.load(); }
    // Controllers connected now.
    int connections() const { return count_.load(); }

  private:
    using ConnectionPtr = std::shared_ptr<Connection>;
    struct Job {
        ConnectionPtr connection;
        std::string line;
    };

    bool listen(const RecorderConfig& config);
    void serveSockets(std::stop_token stop);
    void acceptControllers();
    // Reads what came; false when the connection must close.
    bool readFrom(Connection& c);
    void handOverLines(const ConnectionPtr& c);
    void close(const ConnectionPtr& c, const char* why);
    void driveDeck(std::stop_token stop);
    void runJob(Job& job);
    void pushNotifications(Snapshot& last);
    std::vector<ConnectionPtr> connectionList();
    void wake();

    RecorderDeck& deck_;
    const ClipSource& clips_;
    RecorderConfig config_;
    std::string failure_;
    remote::StopSignal stopSignal_;
    core::UniqueFd listener_;
    core::UniqueFd wake_;  // an eventfd: the deck thread queued output
    std::atomic<int> port_{-1};
    std::atomic<int> count_{0};

    std::mutex connectionsMutex_;  // guards the list; the socket thread changes it
    std::vector<ConnectionPtr> connections_;

    std::mutex jobsMutex_;
    std::condition_variable_any jobsReady_;
    std::deque<Job> jobs_;

    std::jthread deckThread_;
    std::jthread socketThread_;  // last: stopped first, before the members it uses go
};

}  // namespace vemo::recorder
