#include "deck/cue_thread.h"

#include <algorithm>

#include "core/utils.h"
#include "deck/local_vcr.h"
#include "deck/protocol.h"

namespace vemo::deck {
namespace {
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;
}  // namespace

CueThread::CueThread(LocalVCR& svcr, std::shared_ptr<NetClient> connectthread, bool noReview)
    : svcr_(svcr),
      connectthread_(std::move(connectthread)),
      lx1_(svcr.isLX1()),
      recon_(svcr.isRecon()),
      maxtries_(svcr.isLX1() ? kMaxTriesLX1 : kMaxTries),
      review_(svcr.reviewclipFlag()),
      noReview_(noReview) {}

CueThread::~CueThread() {
    cancel();
    join();
}

void CueThread::start() {
    if (!thread_.joinable())
        thread_ = std::jthread([this](std::stop_token stop) {
            std::stop_callback end(stop, [this] { cancel(); });
            run();
        });
}

void CueThread::cancel() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancel_.store(true);
    }
    wake_.notify_all();
}

void CueThread::join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

bool CueThread::sleep(milliseconds period) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !wake_.wait_for(lock, period, [this] { return cancel_.load(); });
}

template <typename F>
bool CueThread::sendFrame(const F& frame) {
    if (cancel_.load())
        return false;
    svcr_.send(frame);
    return true;
}

std::chrono::milliseconds CueThread::outPointBound(int frames, core::FrameRate rate) {
    const long long clip = 1000LL * std::max(frames, 0) / core::framesPerSecond(rate);
    return std::chrono::milliseconds(2 * clip) + kStallLimit;
}

void CueThread::tell(const char* word) {
    if (connectthread_)
        connectthread_->Send(word);
}

void CueThread::run() {
    Outcome outcome = steps();
    if (outcome == Outcome::running)
        outcome = Outcome::ended;  // cancelled between steps
    // Whoever ended the cue has joined this thread before setting flags of its own.
    svcr_.cueplay_.store(false);
    svcr_.reviewclip_.store(false);
    // A cue-and-play leaves the deck playing: the LX1's next pause needs no play first.
    svcr_.moving_.store(played_ ? 1 : 0);
    if (outcome == Outcome::cued && noReview_)
        outcome = Outcome::noReview;
    report(outcome);
    outcome_.store(outcome);
    // However the cue ended, the operator gets the cue controls back.
    if (DeckDisplay* d = svcr_.display())
        d->setCueControlsEnabled(true);
    finished_.store(true);
}

namespace {

// How each ending is told: status line (none: the ending command shows its own), log line,
// and the word for the network client.
struct Ending {
    const char* status;
    const char* log;
    const char* word;
};

Ending endingOf(CueThread::Outcome outcome, bool review) {
    using O = CueThread::Outcome;
    switch (outcome) {
        case O::refused:
            return {"Cue refused", "Cue refused by the deck", "CUE REFUSED!"};
        case O::timedOut:
            return {"Cue timed out", "Cue timed out: the deck never reported the cue complete",
                    "CUE TIMEOUT!"};
        case O::gaveUp:
            return {"Review gave up", "Review gave up: the time code stood still",
                    "REVIEW GAVE UP!"};
        case O::overdue:
            return {"Review gave up",
                    "Review gave up: the out point was not reached in twice the clip's length",
                    "REVIEW GAVE UP!"};
        case O::ended:
            if (review)
                return {nullptr, "Review ended by another command", "REVIEW ENDED!"};
            return {nullptr, "Cue ended by another command", "CUE ENDED!"};
        case O::notSent:
            return {"Cue frame not sent", "Cue frame not sent: the line to the deck took nothing",
                    "CUE NOT SENT!"};
        case O::silent:
            return {"Deck did not answer", "Cue ended: the deck did not answer the cue frame",
                    "DECK DID NOT ANSWER!"};
        case O::noReview:
            // Logged as "No Review is possible" when it was asked for.
            return {"No Review is possible", nullptr, "NO REVIEW!"};
        default:
            return {nullptr, nullptr, nullptr};
    }
}

}  // namespace

void CueThread::report(Outcome outcome) {
    if (outcome == Outcome::cued || outcome == Outcome::reached) {
        if (!svcr_.scriptactive_.load())
            core::Utils::OutLine("Cue/Review/Play Finished!");
        return;
    }
    Ending e = endingOf(outcome, review_);
    // Only the faults have a status text: held in the status line for the operator to act.
    if (e.status != nullptr)
        svcr_.ShowError(e.status);
    // Faults are always logged; a sequence (script, review-all) that moves on by itself logs
    // its own commands, as it does not log a finished cue either.
    if (e.log != nullptr && (outcome != Outcome::ended || !svcr_.scriptactive_.load()))
        core::Utils::OutLine(e.log);
    tell(e.word);
}

CueThread::Wait CueThread::waitForCue() {
    for (int tries = 0; !svcr_.cueup_.load(); ++tries) {
        if (tries >= maxtries_)
            return Wait::timedOut;
        if (!sleep(milliseconds(20)))
            return Wait::ended;
    }
    return Wait::done;
}

// Ends when the polled time code reaches the frame before the out point, when a transport
// command ended the review, when the time code has stood still for kStallLimit (a stopped
// deck, or no valid time code coming back), or when the clip has had twice its length at
// play speed and the stall limit on top (a deck crawling, or running the wrong way).
CueThread::Wait CueThread::waitForOutPoint() {
    int last = svcr_.tcframes_.load();
    const auto start = Clock::now();
    auto lastChange = start;
    const auto bound = outPointBound(svcr_.duration_.load(), svcr_.settings().frameRate);
    while (svcr_.endframes_.load() - 1 > svcr_.tcframes_.load()) {
        if (!svcr_.reviewclip_.load())
            return Wait::ended;
        const auto clock = Clock::now();
        if (clock - lastChange >= kStallLimit)
            return Wait::timedOut;
        if (clock - start >= bound)
            return Wait::overdue;
        if (!sleep(milliseconds(2)))
            return Wait::ended;
        int now = svcr_.tcframes_.load();
        if (now != last) {
            last = now;
            lastChange = Clock::now();
        }
    }
    return Wait::done;
}

// The cue frame, with the cue-complete flag taken back only once the deck has it: a status
// reply from before the frame can then no longer end the new cue's wait.
// A frame that went out and got no whole reply was lost on the line, or its reply was: it is
// sent once more, and a deck silent twice is not waited for.
CueThread::Outcome CueThread::sendCue() {
    if (cancel_.load())
        return Outcome::ended;
    serial::ExchangeResult r = svcr_.sendCommand(svcr_.bscue());
    svcr_.cueFrameSent();
    if (!r.sent)
        return Outcome::notSent;
    if (!protocol::isWholeReply(r.bytes.data(), r.count))
        return Outcome::silent;
    if (protocol::isNak(r.bytes.data(), r.count))
        return Outcome::refused;
    return Outcome::running;
}

// A review always ends with the deck halted: stop, or the still frame on the LX1 recorder.
CueThread::Outcome CueThread::halt(Outcome outcome) {
    bool sent = lx1_ ? sendFrame(protocol::bspause) : sendFrame(protocol::bsstop);
    return sent ? outcome : Outcome::ended;
}

CueThread::Outcome CueThread::steps() {
    if (lx1_ && !sendFrame(protocol::bspause))
        return Outcome::ended;
    if (DeckDisplay* d = svcr_.display())
        d->setCueControlsEnabled(false);
    svcr_.cueup_.store(false);
    svcr_.moving_.store(1);
    if (Outcome sent = sendCue(); sent != Outcome::running)
        return sent;
    tell("CUEING!");
    Wait cue = waitForCue();
    if (cue == Wait::ended)
        return Outcome::ended;
    // The still frame also ends a cue that never completed: the deck does not wind on.
    if (!lx1_ && !sendFrame(protocol::bspause))
        return Outcome::ended;
    if (cue == Wait::timedOut)
        return Outcome::timedOut;
    if (!sleep(milliseconds(recon_ ? 50 : 2000)))
        return Outcome::ended;
    svcr_.cueup_.store(true);
    svcr_.moving_.store(0);
    tell("CUED!");
    svcr_.ShowStat("CUED!!");
    if (!sleep(milliseconds(recon_ ? 20 : 2000)))
        return Outcome::ended;
    if (svcr_.cueplay_.load()) {
        if (!sendFrame(protocol::bsplay))
            return Outcome::ended;
        played_ = true;
    }
    svcr_.cueplay_.store(false);
    gotthere_.store(false);
    if (!review_ || !svcr_.reviewclip_.load()) {
        svcr_.reviewclip_.store(false);
        return Outcome::cued;
    }
    tell("x!x!x!");
    Wait out = waitForOutPoint();
    if (out == Wait::ended || cancel_.load())
        return Outcome::ended;
    Outcome halted = halt(out == Wait::done      ? Outcome::reached
                          : out == Wait::overdue ? Outcome::overdue
                                                 : Outcome::gaveUp);
    played_ = false;
    if (halted == Outcome::reached) {
        gotthere_.store(true);
        svcr_.duration_.store(0);
        tell("x#x#x#");
    }
    svcr_.reviewclip_.store(false);
    return halted;
}

}  // namespace vemo::deck
