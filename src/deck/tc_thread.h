#pragma once

#include <atomic>
#include <chrono>
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
    ~TCThread();  // stops and joins
    TCThread(const TCThread&) = delete;
    TCThread& operator=(const TCThread&) = delete;

    void start();
    // Asks the loop to end; it ends within one period (or after the exchange under way).
    void stopme();
    // stopme, then waits for the thread to end (from any other thread).
    void join();
    int sleeptime() const { return sleeptime_; }
    bool running() const { return a_.load(); }
    bool isCurrentThread() const { return thread_.get_id() == std::this_thread::get_id(); }

  private:
    void run();
    // Waits one period, or less once stopped.
    void rest() const;

    LocalVCR& svcr_;
    const int sleeptime_;
    std::atomic<bool> a_{true};
    int n_ = 0;  // pass counter, only touched by the thread
    // Readable once stopme() was called: the rest between passes is a poll() on it, which
    // costs one system call where a condition variable's wait and relock cost two.
    core::UniqueFd stopFd_;
    std::thread thread_;
};

}  // namespace vemo::deck
