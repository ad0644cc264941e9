// Greys and restores the main window's cue controls as every cue and review does, painting
// the window each time, and prints the resident memory (VmRSS) every 1000 cues.
//
//   cue_controls_ui_measure [CUES]     (default 10000; QT_QPA_PLATFORM=offscreen if unset)
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/settings.h"
#include "deck/local_vcr.h"
#include "ui/local_gui.h"

namespace {

long rssKb() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const long cues = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10000;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    vemo::deck::LocalVCR vcr(nullptr, vemo::core::Settings{});
    vemo::ui::LocalGUI gui(vcr);
    vcr.setDisplay(&gui);
    gui.show();
    for (long i = 0; i <= cues; ++i) {
        for (bool enabled : {false, true}) {
            gui.setCueControlsEnabled(enabled);
            gui.ShowStatus(enabled ? "CUED!!" : "Reviewing Clip of Duration= 75");
            gui.repaint();
            QApplication::processEvents();
        }
        if (i % 1000 == 0)
            std::printf("%ld cues: VmRSS %ld kB\n", i, rssKb());
    }
    std::fflush(stdout);
    vcr.setDisplay(nullptr);
    return 0;
}
