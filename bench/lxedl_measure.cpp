// Times the EDL maker's conversion of a 999-line standard EDL into the recorder's edit list:
// parseText, autoedl and edltext, as the window's load and save run them, over many runs.
// The operator waits the engine asks for (the "LX-1 EDL IS FULL" hold) are counted, not
// slept, so the figure is the computing time alone.
//
//   lxedl_measure [RUNS]      default 200
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/edl/recorder_edl.h"

namespace {

using Clock = std::chrono::steady_clock;

// Shows nothing, logs nothing and only adds up the waits it is asked for.
class QuietView : public vemo::core::RecorderView {
  public:
    void wait(int milliseconds) override { waited += milliseconds; }
    void log(const std::string&) override {}
    long long waited = 0;
};

std::string timecode(int frames) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", frames / 108000 % 100,
                  frames / 1800 % 60, frames / 30 % 60, frames % 30);
    return text;
}

// Two header lines and 997 events of 10 s, 20 s apart: 999 lines.
std::string source999() {
    std::string text = "TITLE: measure\r\nFCM: NON-DROP FRAME\r\n";
    for (int i = 0; i < 997; ++i) {
        char edit[8];
        std::snprintf(edit, sizeof edit, "%03d", (i + 1) % 1000);
        text += std::string(edit) + "  AX       V     C        " + timecode(i * 600) + " " +
                timecode(i * 600 + 300) + " 01:00:00:00 01:00:10:00\r\n";
    }
    return text;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

struct Run {
    double ms;
    long long waited;
    int lines;
    std::size_t bytes;
};

Run convertOnce(const std::string& text, bool autochapter) {
    QuietView view;
    vemo::core::RecorderEDL edl(&view);
    edl.autochapter = autochapter;
    auto t0 = Clock::now();
    edl.parseText(text);
    edl.autoedl();
    std::string out = edl.edltext(true);
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    return {ms, view.waited, edl.lxline, out.size()};
}

void report(const char* mode, const std::string& text, int runs, bool autochapter) {
    std::vector<double> times;
    Run last{};
    for (int i = 0; i < runs; ++i) {
        last = convertOnce(text, autochapter);
        times.push_back(last.ms);
    }
    std::printf(
        "%s: %d runs, median %.3f ms, p99 %.3f ms, worst %.3f ms; output %d lines, "
        "%zu bytes; operator holds asked for %lld ms (not slept)\n",
        mode, runs, percentile(times, 0.5), percentile(times, 0.99),
        *std::max_element(times.begin(), times.end()), last.lines, last.bytes, last.waited);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const std::string text = source999();
    std::printf("source: 999 lines, %zu bytes\n", text.size());
    report("one REC per event", text, runs, false);
    report("AutoCH", text, runs, true);
    return 0;
}
