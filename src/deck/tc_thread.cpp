#include "deck/tc_thread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <ctime>

#include "deck/local_vcr.h"

namespace vemo::deck {

int TCThread::sleeptimeFor(bool lanc, bool recon) {
    if (recon)
        return 20;
    return lanc ? 60 : 35;
}

TCThread::TCThread(LocalVCR& svcr, bool lanc, bool recon)
    : svcr_(svcr),
      sleeptime_(sleeptimeFor(lanc, recon)),
      stopFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

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
    // The stop token's callback wakes the rest under way.
    thread_.request_stop();
}

void TCThread::wake() const {
    const std::uint64_t one = 1;
    while (stopFd_.get() >= 0 && ::write(stopFd_.get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void TCThread::rest() const {
    // One system call a pass, as little as a plain sleep costs. Signals wait until the rest
    // is over, so that none can shorten it.
    pollfd p{stopFd_.get(), POLLIN, 0};
    const timespec period{sleeptime_ / 1000, (sleeptime_ % 1000) * 1000000L};
    sigset_t all;
    sigfillset(&all);
    ::ppoll(&p, 1, &period, &all);
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
    std::stop_callback onStop(stop, [this] { wake(); });
    while (!stop.stop_requested()) {
        rest();
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
