// Runs the console's real polling thread against the deck simulator for N seconds and
// reports time-code reads per second, the pass period's median and 99th percentile, and the
// CPU time the process used per second.
//
//   poll_measure [SECONDS] [simulator options...]     e.g. poll_measure 10 --pace --reply-delay 3
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "core/settings.h"
#include "deck/local_vcr.h"
#include "serial/ser_out_port.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

// Records when each time code was published; everything else is dropped.
class TimingDisplay : public vemo::deck::DeckDisplay {
  public:
    void ShowTC(const vemo::deck::TimeCode&) override {
        std::lock_guard<std::mutex> lock(mutex_);
        times_.push_back(Clock::now());
    }
    void ShowStatus(const std::string&) override {}
    void clearbuttons() override {}
    void hilight(vemo::deck::Indicator) override {}
    void show() override {}
    void setCueControlsEnabled(bool) override {}
    void EnableConnect(bool) override {}
    void setcue() override {}
    void setreview() override {}
    std::vector<Clock::time_point> times() {
        std::lock_guard<std::mutex> lock(mutex_);
        return times_;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        times_.clear();
    }

  private:
    std::mutex mutex_;
    std::vector<Clock::time_point> times_;
};

double cpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    using namespace std::chrono_literals;
    int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::vector<std::string> simArgs;
    vemo::test::TempDir dir;
    std::string link = dir.file("deck").string();
    simArgs = {"--link", link, "--type", "tape"};
    for (int i = 2; i < argc; ++i)
        simArgs.emplace_back(argv[i]);

    vemo::test::ChildProcess sim(vemo::test::builtProgram("tools/decksim/vemo-decksim"), simArgs,
                                 dir.path());
    if (!vemo::test::waitFor([&] { return std::filesystem::exists(link); }, 10s)) {
        std::fprintf(stderr, "the deck simulator did not start\n");
        return 1;
    }
    // Log lines of the port and the controller go to a file, not the report.
    std::fflush(stdout);
    int report = dup(STDOUT_FILENO);
    FILE* log = std::freopen(dir.file("log.txt").c_str(), "w", stdout);
    (void)log;

    vemo::serial::SerOutPort sop(link);
    sop.setwait(9);
    vemo::core::Settings settings;
    settings.stoponexit = false;
    TimingDisplay display;
    vemo::deck::LocalVCR vcr(&sop, settings);
    vcr.setDisplay(&display);
    vcr.play();
    vcr.GetTC();
    std::this_thread::sleep_for(1s);  // let the first passes settle
    display.clear();
    double cpu0 = cpuSeconds();
    auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    double cpu = cpuSeconds() - cpu0;
    double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    vcr.stopPolling();
    vcr.stop();

    auto times = display.times();
    std::vector<double> periods;
    for (std::size_t i = 1; i < times.size(); ++i) {
        periods.push_back(
            std::chrono::duration<double, std::milli>(times[i] - times[i - 1]).count());
    }
    FILE* out = fdopen(report, "w");
    std::fprintf(out, "run: %d s against vemo-decksim", seconds);
    for (std::size_t i = 4; i < simArgs.size(); ++i)
        std::fprintf(out, " %s", simArgs[i].c_str());
    std::fprintf(out, "\ntime-code reads per second: %.1f\n",
                 static_cast<double>(times.size()) / wall);
    std::fprintf(out, "pass period median: %.2f ms\n", percentile(periods, 0.5));
    std::fprintf(out, "pass period p99: %.2f ms\n", percentile(periods, 0.99));
    std::fprintf(out, "CPU time per second: %.2f ms\n", 1000.0 * cpu / wall);
    std::fclose(out);
    return 0;
}
