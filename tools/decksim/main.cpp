// vemo-decksim: a video deck on a pseudo-terminal, for trying the console without a deck
// and for driving the whole program from tests.

#include <signal.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "options.h"
#include "pty_line.h"
#include "simulator.h"

namespace {

vemo::decksim::Controls controls;
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<unsigned>::is_always_lock_free);

void onSignal(int sig) {
    if (sig == SIGUSR1)
        controls.stalls.fetch_add(1);
    else if (sig == SIGUSR2)
        controls.pulls.fetch_add(1);
    else if (sig == SIGRTMIN)
        controls.corrupts.fetch_add(1);
    else
        controls.stop.store(true);
}

// Blocks the stop and fault signals and returns the mask to wait with, in which they are
// open: a signal then either interrupts the loop's wait or waits for it, and is never lost.
sigset_t installSignals() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigset_t stops;
    sigemptyset(&stops);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGRTMIN}) {
        sigaction(sig, &action, nullptr);
        sigaddset(&stops, sig);
    }
    signal(SIGPIPE, SIG_IGN);
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &stops, &previous);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGRTMIN})
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
    if (options->version) {
        std::fputs(vemo::tools::versionText("vemo-decksim").c_str(), stdout);
        return 0;
    }
    sigset_t waitMask = installSignals();

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
        simulator.run(controls, waitMask);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vemo-decksim: %s\n", e.what());
        status = 1;
    }
    if (log != nullptr)
        std::fclose(log);
    return status;
}
