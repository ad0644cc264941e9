// The script runner on arbitrary script files, with a RECON deck controller behind a port
// that answers nothing or canned replies. Waits go through the display's window-thread wait,
// which counts them instead of sleeping; once a run has waited more than an hour of script time the
// harness asks it to stop and aborts the sequence, and the run must then end before its next
// line.
//
// Input: one byte choosing the deck's replies (bit 0: any replies; bit 1: no script file),
// then the script file's bytes.
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

#include "core/line_reader.h"
#include "core/settings.h"
#include "core/utils.h"
#include "deck/cue_thread.h"
#include "deck/deck_display.h"
#include "deck/local_vcr.h"
#include "remote/dispatcher.h"
#include "remote/script_runner.h"
#include "support/fake_command_port.h"
#include "support/fake_deck_display.h"
#include "support/fuzz_input.h"

namespace {
using vemo::deck::LocalVCR;
using vemo::remote::Dispatcher;
using vemo::remote::ScriptRunner;
using vemo::serial::ExchangeResult;
using vemo::test::FakeCommandPort;

constexpr long long kStopAfterMs = 3600LL * 1000;

// The display's wait stands for the window thread's wait: this thread only.
std::thread::id harnessThread;
std::atomic<long long> waited{0};
std::stop_source* stopper = nullptr;
LocalVCR* deck = nullptr;

// Past the limit the operator gives up: a stop request ends the run and the Stop button
// ends the sequence (a review the script waits for included).
bool countWait(int milliseconds) {
    if (std::this_thread::get_id() != harnessThread)
        return false;
    if (waited.fetch_add(milliseconds) + milliseconds > kStopAfterMs && stopper != nullptr) {
        stopper->request_stop();
        deck->abortSequence();
    }
    return true;
}

// A window that shows nothing and whose waits are counted.
class CountingDisplay : public vemo::test::QuietDeckDisplay {
  public:
    bool waitHere(int milliseconds) override { return countWait(milliseconds); }
};

struct Harness {
    FakeCommandPort port;
    CountingDisplay display;
    std::unique_ptr<LocalVCR> vcr;
    std::filesystem::path dir;
    std::filesystem::path file;

    Harness() {
        harnessThread = std::this_thread::get_id();
        char name[] = "/tmp/vemo-script-fuzz-XXXXXX";
        FUZZ_CHECK(::mkdtemp(name) != nullptr);
        dir = name;
        file = dir / ScriptRunner::kScriptFile;
        vcr = std::make_unique<LocalVCR>(&port, vemo::core::Settings::forDeck("RECON"));
        vcr->setDisplay(&display);
        deck = vcr.get();
    }
    ~Harness() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

Harness& harness() {
    static Harness h;
    return h;
}

void chooseReplies(FakeCommandPort& port, std::uint8_t mode) {
    if ((mode & 1) == 0) {
        port.setReply({});
        return;
    }
    port.setReply([mode](const vemo::test::Bytes& f) {
        const std::uint8_t* frame = f.data();
        const std::size_t size = f.size();
        ExchangeResult r;
        if (size >= 2 && frame[0] == 0x61 && frame[1] == 0x0C) {
            r.bytes = {0x74, 0x04, static_cast<std::uint8_t>(mode & 0xF0), 0x12, 0x34, 0x01};
            r.count = 7;
        } else if (size >= 2 && frame[0] == 0x61 && frame[1] == 0x20) {
            r.bytes = {0x79, 0x20, 0x00, static_cast<std::uint8_t>(mode), 0x01};
            r.count = 8;
        } else {
            r.bytes = {0x10, 0x01, 0x11};
            r.count = 3;
        }
        return r;
    });
}

bool isWord(std::string_view line) {
    static constexpr std::string_view words[] = {
        "Play",   "Pause", "Stop",   "Forward", "Rewind", "Record", "GetTC", "Status", "CueIn",
        "CueOut", "SetIn", "SetOut", "CuePlay", "Review", "JogF",   "JogR",  "Fast2",  "Fast5",
        "Slow5",  "Slow3", "Slow2",  "EEOn",    "EEOff",  "SbyOn",  "SbyOff"};
    for (std::string_view w : words) {
        if (line == w)
            return true;
    }
    return false;
}

// The waits the script asks for, up to where the run ends: Quit, a short line, or a line
// that is neither a comment nor a command.
long long scriptWaits(std::string_view text) {
    long long total = 0;
    for (const std::string& line : vemo::core::splitLines(text)) {
        if (line == "Quit" || line.size() < 4)
            break;
        std::optional<int> seconds;
        if (line.rfind("Wait", 0) == 0)
            seconds = Dispatcher::waitSeconds(std::string_view(line).substr(4));
        if (seconds)
            total += *seconds * 1000LL;
        const bool field = line.rfind("tc1", 0) == 0 || line.rfind("tc2", 0) == 0;
        if (line[0] != ';' && !seconds && !field && !isWord(line))
            break;
    }
    return total;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vemo::fuzz::quietLog();
    Harness& h = harness();
    vemo::fuzz::FuzzInput in(data, size);
    const std::uint8_t mode = in.byte();
    h.port.clear();  // the frames of earlier inputs
    chooseReplies(h.port, mode);
    const std::string_view text = in.rest();
    std::error_code ec;
    std::filesystem::remove(h.file, ec);
    if ((mode & 2) == 0) {
        std::ofstream out(h.file, std::ios::binary);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        FUZZ_CHECK(out.good());
    }

    std::stop_source stop;
    stopper = &stop;
    waited.store(0);
    ScriptRunner runner(*h.vcr, h.file);
    runner.script(stop.get_token());
    stopper = nullptr;

    FUZZ_CHECK(!h.vcr->getscriptactive());
    if ((mode & 2) != 0) {
        FUZZ_CHECK(waited.load() == 1000);  // the "No script file found!" hold
    } else if (!stop.stop_requested()) {
        // Every wait the run reached was waited in full (cue commands may wait too).
        FUZZ_CHECK(waited.load() >= scriptWaits(text));
    }
    h.vcr->stopCue();
    FUZZ_CHECK(h.vcr->cuethread() == nullptr || h.vcr->cuethread()->finished());
    return 0;
}
