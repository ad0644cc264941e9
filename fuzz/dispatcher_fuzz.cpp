// The command vocabulary on arbitrary lines, with a RECON deck controller behind a port
// that answers nothing or canned replies. Cue and review words start cue threads; each is
// ended before the next input. "Wait" lines are parsed but never sleep (the dispatcher's
// waiter is the harness's).
//
// Input: one byte choosing the deck's replies, then lines separated by LF.
#include <atomic>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "deck/cue_thread.h"
#include "deck/local_vcr.h"
#include "remote/dispatcher.h"
#include "support/fake_command_port.h"
#include "support/fuzz_input.h"

namespace {
using vemo::deck::LocalVCR;
using vemo::remote::Dispatcher;
using vemo::serial::ExchangeResult;

constexpr std::size_t kMaxLines = 64;

// The connected network client: replies and cue progress words are counted, not sent.
class CountingClient : public vemo::deck::NetClient {
  public:
    void Send(const std::string& text) override {
        (void)text;
        sent.fetch_add(1);
    }
    std::atomic<long> sent{0};
};

struct Harness {
    vemo::test::FakeCommandPort port;
    std::unique_ptr<LocalVCR> vcr;
    std::unique_ptr<Dispatcher> dispatcher;
    std::shared_ptr<CountingClient> client = std::make_shared<CountingClient>();

    Harness() {
        // RECON: the cue thread's settling waits are short and a review has no fixed waits.
        vcr = std::make_unique<LocalVCR>(&port, vemo::core::Settings::forDeck("RECON"));
        vcr->setConnectThread(client);
        dispatcher = std::make_unique<Dispatcher>(*vcr, [](int milliseconds) {
            FUZZ_CHECK(milliseconds >= 0 && milliseconds <= INT_MAX);
        });
    }
};

Harness& harness() {
    static Harness h;
    return h;
}

// Replies by frame: time data for the time sense, status for the status sense.
void chooseReplies(vemo::test::FakeCommandPort& port, std::uint8_t mode) {
    port.clear();  // the harness lives for the whole run: no history of frames kept
    if ((mode & 1) == 0) {
        port.setReply({});
        return;
    }
    port.setReply([mode](const vemo::test::Bytes& frame) {
        ExchangeResult r;
        if (frame.size() < 2)
            return r;
        if (frame[0] == 0x61 && frame[1] == 0x0C) {
            r.bytes = {0x74, 0x04, static_cast<std::uint8_t>(mode & 0xF0), 0x12, 0x34, 0x01};
            r.count = 7;
        } else if (frame[0] == 0x61 && frame[1] == 0x20) {
            // Cued up or not, and whatever the mode's bits say of the transport.
            r.bytes = {0x79,
                       0x20,
                       0x00,
                       static_cast<std::uint8_t>(mode),
                       static_cast<std::uint8_t>((mode & 2) ? 0x01 : 0x00),
                       0x00,
                       0x00,
                       0x00};
            r.count = 8 + (mode >> 6);
        } else {
            r.bytes = {0x10, 0x01, 0x11};
            r.count = 3;
        }
        return r;
    });
}

bool hasPrefix(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
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

void runLine(Harness& h, const std::string& line) {
    const bool matched = h.dispatcher->ParseNetCommand(line);
    const bool wait = hasPrefix(line, "Wait") &&
                      Dispatcher::waitSeconds(std::string_view(line).substr(4)).has_value();
    const bool field = hasPrefix(line, "tc1") || hasPrefix(line, "tc2");
    FUZZ_CHECK(matched == (isWord(line) || wait || field));
    if (hasPrefix(line, "tc1"))
        FUZZ_CHECK(h.vcr->fields().cue() == line.substr(3));
    if (hasPrefix(line, "tc2"))
        FUZZ_CHECK(h.vcr->fields().end() == line.substr(3));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vemo::fuzz::quietLog();
    Harness& h = harness();
    vemo::fuzz::FuzzInput in(data, size);
    chooseReplies(h.port, in.byte());
    // Each input starts from the same fields, whatever the last one left.
    h.vcr->fields().setTC("00:00:00:00");
    h.vcr->fields().setCue("00:00:00:00");
    h.vcr->fields().setEnd("00:00:00:00");

    std::string_view text = in.rest();
    for (std::size_t n = 0; n < kMaxLines && !text.empty(); ++n) {
        std::size_t end = text.find('\n');
        runLine(h, std::string(text.substr(0, end)));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    h.vcr->stopCue();
    FUZZ_CHECK(h.vcr->cuethread() == nullptr || h.vcr->cuethread()->finished());
    return 0;
}
