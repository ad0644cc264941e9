// Where reviews halt against their out points while a network client is connected: one that
// reads every word, one that floods commands and never reads (replaced by a new one each
// time the server drops it), and a disk-recorder controller that asked for every transport
// and time-code message and polls transport info besides. Each run has the deck simulator with its
// frame log, the console's controller with its polling thread and its command server on 127.0.0.1;
// the reviews are 2 to 3 s clips, started 2 s ahead of the tape, with out points on every frame
// number.
//
//   review_client_measure [REVIEWS] [--type recon|tape]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/settings.h"
#include "deck/cue_thread.h"
#include "deck/local_vcr.h"
#include "recorder/local_recorder_deck.h"
#include "recorder/recorder_server.h"
#include "remote/command_server.h"
#include "remote/tcp_client.h"
#include "serial/ser_out_port.h"
#include "support/fake_deck_display.h"
#include "support/log_text.h"
#include "support/process.h"
#include "support/stdout_capture.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using vemo::remote::test::FloodingClient;
using vemo::remote::test::TcpClient;

enum class Kind { reads, floods, controller };

// Keeps one client of its kind connected for as long as it lives.
class Clients {
  public:
    Clients(int port, Kind kind) : port_(port), kind_(kind), thread_([this] { run(); }) {}
    ~Clients() {
        stop_.store(true);
        thread_.join();
    }
    int drops() const { return drops_.load(); }

  private:
    void run() {
        while (!stop_.load()) {
            if (kind_ == Kind::controller) {
                TcpClient c(port_);
                c.write("notify: transport: true display timecode: true\r\n");
                while (!stop_.load()) {
                    c.write("transport info\r\n");
                    while (c.readLine(10ms)) {
                    }
                }
                return;
            }
            if (kind_ == Kind::reads) {
                TcpClient c(port_);
                while (!stop_.load()) {
                    c.write("GetTC\n");
                    while (c.readLine(10ms)) {
                    }
                }
                return;
            }
            FloodingClient c(port_);
            while (!stop_.load() && !c.dropped())
                std::this_thread::sleep_for(10ms);
            if (c.dropped())
                ++drops_;
        }
    }

    const int port_;
    const Kind kind_;
    std::atomic<bool> stop_{false};
    std::atomic<int> drops_{0};
    std::thread thread_;
};

struct Result {
    std::vector<int> halts;    // frames against the out point
    std::vector<double> took;  // seconds from the review's start to its halt
    int lost = 0;              // reviews that did not reach their out point
    int drops = 0;
};

Result measure(int reviews, const std::string& type, Kind kind) {
    vemo::test::TempDir dir;
    const std::string link = dir.file("deck").string();
    const std::filesystem::path frames = dir.file("frames.log");
    vemo::test::ChildProcess sim(
        vemo::test::builtProgram("tools/decksim/vemo-decksim"),
        {"--link", link, "--type", type, "--pace", "--reply-delay", "1", "--log", frames.string()},
        dir.path());
    Result r;
    if (!vemo::test::waitFor([&] { return std::filesystem::exists(link); }, 10s)) {
        std::fprintf(stderr, "the simulator did not start\n");
        std::exit(1);
    }
    vemo::serial::SerOutPort port(link);
    vemo::core::Settings settings =
        vemo::core::Settings::forDeck(type == "recon" ? "RECON" : "TAPE");
    settings.serveraddress = "127.0.0.1";
    vemo::test::StdoutCapture quiet;  // the controller's log lines
    vemo::test::QuietDeckDisplay display;
    vemo::deck::LocalVCR vcr(&port, settings);
    vcr.setDisplay(&display);
    vcr.GetTC();
    vemo::remote::CommandServer server(vcr);
    server.start(0);
    vemo::recorder::SharedClipList clips;
    vemo::recorder::LocalRecorderDeck recorderDeck(vcr);
    vemo::recorder::RecorderServer recorder(recorderDeck, clips);
    vemo::recorder::RecorderConfig config;
    config.server.host = "127.0.0.1";
    recorder.start(config);
    {
        const bool controller = kind == Kind::controller;
        Clients clients(controller ? recorder.port() : server.port(), kind);
        std::this_thread::sleep_for(1s);
        for (int i = 0; i < reviews; ++i) {
            if (controller)
                vemo::test::waitFor([&] { return recorder.connections() > 0; });
            else
                vemo::test::waitFor([&] { return vcr.connectThread() != nullptr; });
            const int start = vcr.tcframes() + 60;
            const int out = start + 60 + 7 * i % 30;
            const std::size_t before = vemo::test::readFile(frames).size();
            vcr.fields().setCue(vemo::deck::TimeCode::fromFrameCount(start).text());
            vcr.fields().setEnd(vemo::deck::TimeCode::fromFrameCount(out).text());
            const auto t0 = std::chrono::steady_clock::now();
            auto cue = vcr.reviewclip() ? vcr.cuethread() : nullptr;
            if (!cue || !vemo::test::waitFor([&] { return cue->finished(); }, 90s) ||
                !cue->gotthere()) {
                ++r.lost;
                continue;
            }
            r.took.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
            std::this_thread::sleep_for(200ms);
            auto halt = vemo::test::haltAgainst(vemo::test::readFile(frames).substr(before), out);
            if (halt)
                r.halts.push_back(*halt);
        }
        r.drops = clients.drops();
    }
    recorder.stop();
    server.stop();
    vcr.stopPolling();
    vcr.stopCue();
    return r;
}

// One line of raw figures for scripts/perf-report, one summary for a reader.
void report(const char* what, const Result& r) {
    std::string halts;
    std::string took;
    for (int v : r.halts)
        halts += " " + std::string(v < 0 ? "" : "+") + std::to_string(v);
    for (double t : r.took)
        took += " " + std::to_string(t);
    std::printf("%s halts:%s; took:%s; not reached %d; dropped %d\n", what, halts.c_str(),
                took.c_str(), r.lost, r.drops);
    std::vector<int> h = r.halts;
    std::sort(h.begin(), h.end());
    std::map<int, int> counts;
    for (int v : h)
        ++counts[v];
    std::string spread;
    for (auto [v, n] : counts) {
        spread += (spread.empty() ? "" : ", ") + std::string(v < 0 ? "" : "+") + std::to_string(v) +
                  ": " + std::to_string(n);
    }
    const int median = h.empty() ? 0 : h[h.size() / 2];
    const int worst =
        h.empty() ? 0 : (std::abs(h.front()) > std::abs(h.back()) ? h.front() : h.back());
    std::printf(
        "%s: %zu reviews, halt median %+d, worst %+d frames (%s); not reached %d; "
        "client dropped %d times\n",
        what, h.size(), median, worst, spread.c_str(), r.lost, r.drops);
}

}  // namespace

int main(int argc, char** argv) {
    int reviews = 20;
    std::string type = "recon";
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--type" && i + 1 < argc) {
            type = argv[++i];
        } else {
            reviews = std::max(1, std::atoi(argv[i]));
        }
    }
    report("reading client", measure(reviews, type, Kind::reads));
    report("client that floods and never reads", measure(reviews, type, Kind::floods));
    report("notifying recorder controller", measure(reviews, type, Kind::controller));
    return 0;
}
