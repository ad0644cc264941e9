// How long the window thread is kept from its event loop while the operator works: the
// console's controller and main window against vemo-decksim, a timer every 2 ms noting the
// longest gap between its ticks while transport buttons are clicked and a clip is reviewed,
// first on a healthy line, then on a stalled one (the simulator's SIGUSR1).
//
//   window_block_ui_measure [CLICKS]   (default 40 per line; QT_QPA_PLATFORM=offscreen if unset)
//
// Prints one line per line state: "healthy: longest block N ms over C clicks" and "stalled: ...".
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/settings.h"
#include "deck/local_vcr.h"
#include "serial/ser_out_port.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "ui/local_gui.h"

namespace {

using vemo::test::waitFor;

// Runs the event loop for the given time while the probe notes the longest gap.
class BlockProbe {
  public:
    BlockProbe() {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void start() {
        clock_.start();
        last_ = 0;
        longest_ = 0;
        timer_.start();
    }
    qint64 longest() const { return longest_; }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

void runFor(int milliseconds) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void click(vemo::ui::LocalGUI& gui, const char* name) {
    if (auto* b = gui.findChild<QAbstractButton*>(QString::fromLatin1(name)))
        b->click();
}

// Transport clicks 150 ms apart, then one review of a two-second clip.
qint64 session(vemo::deck::LocalVCR& vcr, vemo::ui::LocalGUI& gui, int clicks) {
    BlockProbe probe;
    probe.start();
    const char* order[] = {"bplay", "bstop", "bfwd", "bstop", "brew", "bstop", "bpause"};
    for (int i = 0; i < clicks; ++i) {
        click(gui, order[i % 7]);
        runFor(150);
    }
    vcr.fields().setCue("00:00:10:00");
    vcr.fields().setEnd("00:00:12:00");
    click(gui, "breview");
    runFor(3000);
    click(gui, "bstop");
    runFor(300);
    return probe.longest();
}

}  // namespace

int main(int argc, char** argv) {
    const int clicks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    vemo::test::TempDir dir;
    const std::filesystem::path link = dir.path() / "deck";
    vemo::test::ChildProcess sim(vemo::test::builtProgram("tools/decksim/vemo-decksim"),
                                 {"--link", link.string(), "--type", "recon"}, dir.path());
    if (!waitFor([&] { return std::filesystem::exists(link); })) {
        std::fprintf(stderr, "the simulator did not come up\n");
        return 1;
    }
    vemo::serial::SerOutPort port(link.string());
    vemo::core::Settings settings;
    settings.recon = true;  // short settles: the review fits the measured span
    {
        vemo::deck::LocalVCR vcr(&port, settings);
        vemo::ui::LocalGUI gui(vcr);
        vcr.setDisplay(&gui);
        gui.show();
        vcr.announceReady();
        vcr.GetTC();
        runFor(500);
        std::printf("healthy: longest block %lld ms over %d clicks\n",
                    static_cast<long long>(session(vcr, gui, clicks)), clicks);
        ::kill(sim.pid(), SIGUSR1);
        runFor(1500);  // the deck is found not answering
        std::printf("stalled: longest block %lld ms over %d clicks\n",
                    static_cast<long long>(session(vcr, gui, clicks)), clicks);
        std::fflush(stdout);
        ::kill(sim.pid(), SIGUSR1);
        vcr.stopPolling();
        vcr.stopCue();
        vcr.setDisplay(nullptr);
    }
    return 0;
}
