#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "core/frame_rate.h"
#include "deck/deck_display.h"

namespace vemo::deck {

class LocalVCR;

// One cue or review: sends the cue frame, waits until the deck reports the cue complete,
// settles, plays when asked, and for a review halts the deck at the out point. However it
// ends, it says so truthfully: only a cue point or an out point reached counts as success.
class CueThread {
  public:
    enum class Outcome {
        running,
        cued,      // the cue point was reached (and play sent when asked)
        reached,   // the review's out point was reached and the deck halted
        refused,   // the deck refused the cue frame
        timedOut,  // no cue complete within the cue wait
        gaveUp,    // the review's time code stood still; the deck was halted
        overdue,   // the review's out point did not come within its bound; the deck was halted
        ended,     // another command ended it; it sent nothing more
        notSent,   // the cue frame never went out on the line
        silent,    // the deck answered neither the cue frame nor its repeat
        noReview,  // a review with no length: cued to its in point, nothing played
    };

    static constexpr int kMaxTries = 2500;    // x 20 ms: 50 s for the cue to complete
    static constexpr int kMaxTriesLX1 = 100;  // x 20 ms: 2 s on the LX1 recorder
    // A review whose time code stands still this long is over (stopped deck, no replies).
    static constexpr std::chrono::seconds kStallLimit{5};

    // noReview: a review that cannot run, carried out as a plain cue to its in point.
    CueThread(LocalVCR& svcr, std::shared_ptr<NetClient> connectthread, bool noReview = false);
    // The longest a review waits for its out point once it plays: twice the clip's length at
    // play speed, and the stall limit on top.
    static std::chrono::milliseconds outPointBound(int frames, core::FrameRate rate);
    ~CueThread();  // cancels and joins
    CueThread(const CueThread&) = delete;
    CueThread& operator=(const CueThread&) = delete;

    void start();
    // Ends the cue: no further frame is sent, the cue controls are restored.
    void cancel();
    // Waits for the thread to end (from any other thread).
    void join();

    // The out point of a review was reached.
    bool gotthere() const { return gotthere_.load(); }
    Outcome outcome() const { return outcome_.load(); }
    // The thread has done its last step, whichever way it ended.
    bool finished() const { return finished_.load(); }
    bool cancelled() const { return cancel_.load(); }
    int maxtries() const { return maxtries_; }

  private:
    enum class Wait { done, timedOut, overdue, ended };

    void run();
    Outcome steps();
    Outcome sendCue();
    Wait waitForCue();
    Wait waitForOutPoint();
    Outcome halt(Outcome outcome);
    void report(Outcome outcome);
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
    const bool review_;    // asked as a review (its words differ from a plain cue's)
    const bool noReview_;  // a review that cannot run: its ending says so
    bool played_ = false;  // play went out after the cue and nothing halted the deck since
    std::atomic<Outcome> outcome_{Outcome::running};
    std::atomic<bool> gotthere_{false};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::jthread thread_;
};

}  // namespace vemo::deck
