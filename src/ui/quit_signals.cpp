#include "ui/quit_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <csignal>

namespace vemo::ui {
namespace {

// The handler's copy of the write end (owned by the QuitSignals object): a lock-free atomic
// is safe to read in a signal handler.
std::atomic<int> signalWriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onSignal(int) {
    // Only async-signal-safe work here: one byte into the pipe.
    const int fd = signalWriteFd.load();
    char byte = 1;
    if (fd >= 0) {
        [[maybe_unused]] ssize_t n = ::write(fd, &byte, 1);
    }
}

}  // namespace

QuitSignals::QuitSignals(QObject* owner, std::function<void()> quit)
    : QObject(owner), quit_(std::move(quit)) {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0) {
        return;
    }
    readEnd_.reset(ends[0]);
    writeEnd_.reset(ends[1]);
    signalWriteFd.store(writeEnd_.get());
    notifier_ = new QSocketNotifier(readEnd_.get(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(readEnd_.get(), buffer, sizeof buffer) > 0) {
        }
        quit_();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
    // Only this object's own pipe is let go: a newer one may have taken the handler since.
    int mine = writeEnd_.get();
    signalWriteFd.compare_exchange_strong(mine, -1);
    delete notifier_;
    notifier_ = nullptr;
}

}  // namespace vemo::ui
