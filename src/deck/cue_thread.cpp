#include "deck/cue_thread.h"

#include "core/utils.h"
#include "deck/local_vcr.h"

namespace vemo::deck {
namespace {
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;
}  // namespace

CueThread::CueThread(LocalVCR& svcr, std::shared_ptr<NetClient> connectthread)
    : svcr_(svcr),
      connectthread_(std::move(connectthread)),
      lx1_(svcr.isLX1()),
      recon_(svcr.isRecon()),
      maxtries_(svcr.isLX1() ? kMaxTriesLX1 : kMaxTries) {}

CueThread::~CueThread() {
    cancel();
    join();
}

void CueThread::start() {
    if (!thread_.joinable())
        thread_ = std::thread([this] { run(); });
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

void CueThread::tell(const char* word) {
    if (connectthread_)
        connectthread_->Send(word);
}

void CueThread::run() {
    steps();
    // However the cue ended, the operator gets the cue controls back.
    if (DeckDisplay* d = svcr_.display())
        d->setCueControlsEnabled(true);
    finished_.store(true);
}

void CueThread::waitForCue() {
    for (int tries = 0; !svcr_.cueup_.load() && tries < maxtries_; ++tries) {
        if (!sleep(milliseconds(20)))
            return;
    }
}

// Ends when the polled time code reaches the frame before the out point (true: halt the
// deck), or without halting when a transport command ended the review or the time code has
// stood still for kStallLimit.
bool CueThread::waitForOutPoint() {
    int last = svcr_.tcframes_.load();
    auto lastChange = Clock::now();
    while (svcr_.endframes_.load() - 1 > svcr_.tcframes_.load()) {
        if (!svcr_.reviewclip_.load())
            return false;
        if (Clock::now() - lastChange >= kStallLimit)
            return false;
        if (!sleep(milliseconds(2)))
            return false;
        int now = svcr_.tcframes_.load();
        if (now != last) {
            last = now;
            lastChange = Clock::now();
        }
    }
    return true;
}

void CueThread::steps() {
    if (lx1_ && !sendFrame(protocol::bspause))
        return;
    if (DeckDisplay* d = svcr_.display())
        d->setCueControlsEnabled(false);
    svcr_.cueup_.store(false);
    svcr_.moving_.store(1);
    if (!sendFrame(svcr_.bscue()))
        return;
    tell("CUEING!");
    waitForCue();
    if (!lx1_ && !sendFrame(protocol::bspause))
        return;
    if (!sleep(milliseconds(recon_ ? 50 : 2000)))
        return;
    svcr_.cueup_.store(true);
    svcr_.moving_.store(0);
    tell("CUED!");
    svcr_.ShowStat("CUED!!");
    if (!sleep(milliseconds(recon_ ? 20 : 2000)))
        return;
    if (svcr_.cueplay_.load() && !sendFrame(protocol::bsplay))
        return;
    svcr_.cueplay_.store(false);
    gotthere_.store(false);
    if (svcr_.reviewclip_.load()) {
        tell("x!x!x!");
        bool reached = waitForOutPoint();
        if (cancel_.load())
            return;
        if (reached) {
            bool sent = lx1_ ? sendFrame(protocol::bspause) : sendFrame(protocol::bsstop);
            if (!sent)
                return;
        }
        gotthere_.store(true);
        svcr_.duration_.store(0);
        // Also when the review ended early: a waiting remote client learns it is over.
        tell("x#x#x#");
    }
    svcr_.reviewclip_.store(false);
    if (!svcr_.scriptactive_.load())
        core::Utils::OutLine("Cue/Review/Play Finished!");
}

}  // namespace vemo::deck
