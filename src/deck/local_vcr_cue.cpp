// Cueing and clip review: filling the cue frame and running cue threads.
#include <optional>
#include <string>

#include "core/utils.h"
#include "deck/cue_thread.h"
#include "deck/local_vcr.h"

namespace vemo::deck {
namespace {
// A refused time text: in the log as well as on the status line, whatever entry it came by.
void refuseTimeText(LocalVCR& vcr, const std::string& reason) {
    core::Utils::OutLine(reason);
    vcr.ShowError(reason);
}
}  // namespace

std::optional<TimeCode> LocalVCR::checkedTime(const std::string& text, const char* what) {
    auto tc = TimeCode::parse(text);
    if (!tc) {
        refuseTimeText(*this, std::string(what) + " is not a time code: " + text);
        return std::nullopt;
    }
    // "00:00:99:99" would reach the deck as 99 seconds and 99 frames.
    if (!tc->inRange(settings_.frameRate)) {
        refuseTimeText(*this, std::string(what) + " is out of range: " + text + " (" +
                                  std::string(core::rangeText(settings_.frameRate)) + ")");
        return std::nullopt;
    }
    return tc;
}

bool LocalVCR::isTimeCode(const std::string& text, const char* what) {
    return checkedTime(text, what).has_value();
}

bool LocalVCR::fillCue(const std::string& text, const char* what) {
    auto tc = checkedTime(text, what);
    if (!tc)
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    bscue_ = protocol::cueFrame(*tc);
    return true;
}

bool LocalVCR::MakeCueString() {
    std::string text = fields_.cue();
    if (!fillCue(text, kCueWhat))
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    CueString_ = text;
    return true;
}

bool LocalVCR::MakeCueOutString() {
    std::string text = fields_.end();
    if (!fillCue(text, kEndWhat))
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    EndString_ = text;
    return true;
}

LocalVCR::CueLock LocalVCR::lockCue() {
    CueLock lock(cueMutex_);
    ++cueGeneration_;
    cueChanged_.notify_all();
    return lock;
}

// On the window thread the display's wait keeps the windows painting; any other thread
// (a connection, the surface) waits on the cue lock's condition, which a newer cue operation
// or closing ends at once.
bool LocalVCR::settleUnlocked(CueLock& lock, int milliseconds) {
    const std::uint64_t generation = cueGeneration_;
    DeckDisplay* d = display();
    lock.unlock();
    const bool waited = d != nullptr && d->waitHere(milliseconds);
    lock.lock();
    if (!waited) {
        cueChanged_.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] {
            return cueGeneration_ != generation || closing_.load() ||
                   (scriptactive_.load() && sequenceAborted_.load());
        });
    }
    if (closing_.load())
        return false;
    if (scriptactive_.load() && sequenceAborted_.load())
        return false;
    return cueGeneration_ == generation;
}

bool LocalVCR::cueTo(TimeFields::Field field, bool play) {
    CueLock lock = lockCue();
    const bool out = field == TimeFields::Field::end;
    const std::string text = out ? fields_.end() : fields_.cue();
    auto tc = checkedTime(text, out ? kEndWhat : kCueWhat);
    if (!tc)
        return false;  // a running cue goes on
    endCueLocked();
    cueplay_.store(play);
    reviewclip_.store(false);
    {
        std::lock_guard<std::mutex> fieldsLock(mutex_);
        bscue_ = protocol::cueFrame(*tc);
        (out ? EndString_ : CueString_) = text;
    }
    return startCueLocked(lock);
}

bool LocalVCR::cue() {
    return cueTo(TimeFields::Field::cue, false);
}

bool LocalVCR::cueout() {
    return cueTo(TimeFields::Field::end, false);
}

bool LocalVCR::cueplay() {
    return cueTo(TimeFields::Field::cue, true);
}

bool LocalVCR::CueUp() {
    CueLock lock = lockCue();
    return startCueLocked(lock);
}

void LocalVCR::stopCue() {
    CueLock lock = lockCue();
    endCueLocked();
}

void LocalVCR::endCueLocked() {
    std::shared_ptr<CueThread> running = cuethread();
    if (!running)
        return;
    running->cancel();
    running->join();
}

bool LocalVCR::startCueLocked(CueLock& lock, bool noReview) {
    if (sop_ == nullptr || !sop_->hasSerialPort())
        return false;
    endCueLocked();
    // The LX1 recorder takes a cue only from a paused picture.
    if (lx1_ && moving_.load() == 0) {
        sendPlay();
        if (!settleUnlocked(lock, 500))
            return false;
        sendPause();
    }
    if (scriptactive_.load() && sequenceAborted_.load())
        return false;
    auto thread = std::make_shared<CueThread>(*this, connectThread(), noReview);
    {
        std::lock_guard<std::mutex> fieldsLock(mutex_);
        cuethread_ = thread;
    }
    thread->start();
    return true;
}

bool LocalVCR::reviewclip() {
    std::shared_ptr<CueThread> started;
    {
        CueLock lock = lockCue();
        // Points that name no real time are refused before any frame: a running cue goes on.
        const std::string in = fields_.cue();
        const std::string out = fields_.end();
        auto inTc = checkedTime(in, kCueWhat);
        if (!inTc)
            return false;
        auto outTc = checkedTime(out, kEndWhat);
        if (!outTc)
            return false;
        endCueLocked();
        if (!lx1_)
            sendStop();
        const bool tapeDeck = !lx1_ && !recon_;
        if (tapeDeck && !settleUnlocked(lock, 1000))
            return false;
        {
            std::lock_guard<std::mutex> fieldsLock(mutex_);
            bscue_ = protocol::cueFrame(*inTc);
            EndString_ = out;
        }
        const core::FrameRate rate = settings_.frameRate;
        startframes_.store(inTc->frameCount(rate));
        endframes_.store(outTc->frameCount(rate));
        const int length = endframes_.load() - startframes_.load();
        duration_.store(length);
        durationfr_.store(length % core::framesPerSecond(rate));
        durationsec_.store(length / core::framesPerSecond(rate));
        ShowStat("Reviewing Clip of Duration= " + std::to_string(length));
        if (tapeDeck && !settleUnlocked(lock, 1000))
            return false;
        if (length <= 0) {
            core::Utils::OutLine("No Review is possible");
            bool ok = startCueLocked(lock, true);
            ShowError("No Review is possible");
            return ok;
        }
        if (scriptactive_.load() && sequenceAborted_.load())
            return false;
        cueplay_.store(true);
        reviewclip_.store(true);
        if (!startCueLocked(lock))
            return false;
        started = cuethread();
    }
    if (!scriptactive_.load() || !started)
        return true;
    // Sequenced mode: the script or the review-all goes on only once the clip has played.
    // Any other ending (a command that ended it, a refused or timed-out cue, a review that
    // gave up, an aborted sequence) is not success, and the deck is left as that ending
    // left it: whoever ended it decides.
    while (!started->finished() && !sequenceAborted_.load())
        DelayT(100);
    if (sequenceAborted_.load() || started->outcome() != CueThread::Outcome::reached)
        return false;
    pause();
    return true;
}

void LocalVCR::abortSequence() {
    sequenceAborted_.store(true);
    cueChanged_.notify_all();
    if (std::shared_ptr<CueThread> running = cuethread())
        running->cancel();
}

}  // namespace vemo::deck
