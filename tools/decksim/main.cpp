// vemo-decksim: a video deck on a pseudo-terminal, for trying the console without a deck
// and for driving the whole program from tests.

#include <signal.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "options.h"
#include "pty_line.h"
#include "simulator.h"

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void onStopSignal(int) {
    stopRequested.store(true);
}

// Blocks the stop signals and returns the mask to wait with, in which they are open: a
// signal then either interrupts the loop's wait or waits for it, and is never lost.
sigset_t installStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigset_t stops;
    sigemptyset(&stops);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(sig, &action, nullptr);
        sigaddset(&stops, sig);
    }
    signal(SIGPIPE, SIG_IGN);
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &stops, &previous);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigdelset(&previous, sig);
    return previous;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vemo::decksim;
    std::string error;
    auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "vemo-decksim: %s\n%s", error.c_str(), usageText());
        return 2;
    }
    if (options->help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    sigset_t waitMask = installStopSignals();

    std::FILE* log = nullptr;
    if (!options->logFile.empty()) {
        log = std::fopen(options->logFile.c_str(), "w");
        if (log == nullptr) {
            std::perror(("vemo-decksim: cannot write " + options->logFile).c_str());
            return 1;
        }
    }
    int status = 0;
    try {
        PtyLine line;
        line.open();
        line.publish(options->link);
        Simulator simulator(*options, line, log);
        std::printf("%s\n", options->link.c_str());
        std::fflush(stdout);
        if (options->verbose) {
            std::fprintf(stderr, "vemo-decksim: %s -> %s\n", options->link.c_str(),
                         line.slaveName().c_str());
        }
        simulator.run(stopRequested, waitMask);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vemo-decksim: %s\n", e.what());
        status = 1;
    }
    if (log != nullptr)
        std::fclose(log);
    return status;
}
