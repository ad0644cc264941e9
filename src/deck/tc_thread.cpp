#include "deck/tc_thread.h"

#include "deck/local_vcr.h"

namespace vemo::deck {

int TCThread::sleeptimeFor(bool lanc, bool recon) {
    if (recon)
        return 20;
    return lanc ? 60 : 35;
}

TCThread::TCThread(LocalVCR& svcr, bool lanc, bool recon)
    : svcr_(svcr), sleeptime_(sleeptimeFor(lanc, recon)) {}

TCThread::~TCThread() {
    stopme();
    if (thread_.joinable())
        thread_.join();
}

void TCThread::start() {
    if (!thread_.joinable())
        thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
}

void TCThread::stopme() {
    // The stop wakes the loop's wait through its stop token.
    thread_.request_stop();
}

void TCThread::join() {
    stopme();
    if (!thread_.joinable())
        return;
    // Called from a display callback on this very thread: the loop ends by itself after the
    // pass under way, and whoever destroys the controller joins it.
    if (thread_.get_id() == std::this_thread::get_id())
        return;
    thread_.join();
}

void TCThread::run(std::stop_token stop) {
    while (true) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait_for(lock, stop, std::chrono::milliseconds(sleeptime_), [] { return false; });
        }
        if (stop.stop_requested())
            break;
        // A reply lost or corrupted on the line is asked for again at once, not a pass later:
        // a review's halt then comes as close to its out point as on a clean line.
        if (!svcr_.CommandB8() && svcr_.deckAnswering())
            svcr_.CommandB8();
        if (n_ == 0)
            svcr_.CommandStatus();
        if (++n_ > 7)
            n_ = 0;
        svcr_.checkAnswering();
    }
}

}  // namespace vemo::deck
