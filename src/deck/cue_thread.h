#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "deck/deck_display.h"

namespace vemo::deck {

class LocalVCR;

// One cue or review: sends the cue frame, waits until the deck reports the cue complete,
// settles, plays when asked, and for a review halts the deck at the out point.
class CueThread {
  public:
    static constexpr int kMaxTries = 2500;    // x 20 ms: 50 s for the cue to complete
    static constexpr int kMaxTriesLX1 = 100;  // x 20 ms: 2 s on the LX1 recorder
    // A review whose time code stands still this long is over (stopped deck, no replies).
    static constexpr std::chrono::seconds kStallLimit{5};

    CueThread(LocalVCR& svcr, std::shared_ptr<NetClient> connectthread);
    ~CueThread();  // cancels and joins
    CueThread(const CueThread&) = delete;
    CueThread& operator=(const CueThread&) = delete;

    void start();
    // Ends the cue: no further frame is sent, the cue controls are restored.
    void cancel();
    // Waits for the thread to end (from any other thread).
    void join();

    // The out point of a review was reached (or the review wait ended otherwise).
    bool gotthere() const { return gotthere_.load(); }
    // The thread has done its last step, whichever way it ended.
    bool finished() const { return finished_.load(); }
    bool cancelled() const { return cancel_.load(); }
    int maxtries() const { return maxtries_; }

  private:
    void run();
    void steps();
    void waitForCue();
    bool waitForOutPoint();
    // Sleeps unless cancelled; false once cancelled.
    bool sleep(std::chrono::milliseconds period);
    // Sends unless cancelled; false once cancelled.
    template <typename F>
    bool sendFrame(const F& frame);
    void tell(const char* word);

    LocalVCR& svcr_;
    std::shared_ptr<NetClient> connectthread_;
    const bool lx1_;
    const bool recon_;
    const int maxtries_;
    std::atomic<bool> gotthere_{false};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
};

}  // namespace vemo::deck
