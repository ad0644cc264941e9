#pragma once

#include <stop_token>
#include <thread>

#include "core/unique_fd.h"

namespace vemo::deck {

class LocalVCR;

// The polling thread: the time code on every pass, the status on the first pass and then on
// every eighth, each right after a time-code read. A time-code read that brings no valid
// time code is repeated once at once while the deck answers.
class TCThread {
  public:
    // The pass period: 60 ms with LANC, 35 ms otherwise, 20 ms on a RECON deck.
    static int sleeptimeFor(bool lanc, bool recon);

    TCThread(LocalVCR& svcr, bool lanc, bool recon);
    // Stops and joins. The controller owns the thread and never destroys it from inside it.
    ~TCThread();
    TCThread(const TCThread&) = delete;
    TCThread& operator=(const TCThread&) = delete;

    void start();
    // Asks the loop to end; it ends within one period (or after the exchange under way).
    void stopme();
    // stopme, then waits for the thread to end (from any other thread).
    void join();
    int sleeptime() const { return sleeptime_; }
    bool running() const { return !thread_.get_stop_token().stop_requested(); }
    bool isCurrentThread() const { return thread_.get_id() == std::this_thread::get_id(); }

  private:
    void run(std::stop_token stop);
    // Sleeps one period; a stop request ends it at once.
    void rest() const;
    void wake() const;

    LocalVCR& svcr_;
    const int sleeptime_;
    int n_ = 0;  // pass counter, only touched by the thread
    // Written when a stop is requested, so that the rest under way ends at once. Without it
    // (no descriptors left) a rest is a plain sleep and a stop waits for it to end.
    core::UniqueFd stopFd_;
    std::jthread thread_;
};

}  // namespace vemo::deck
