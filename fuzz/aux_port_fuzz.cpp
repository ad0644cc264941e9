// The auxiliary controller port on the bytes the control surface sends, through a
// pseudo-terminal standing in for its serial line. A deck controller over a port without a
// deck performs the messages; logger marks are counted.
//
// Input: one mode byte, then pieces of (length byte, that many bytes). Mode bit 0 clear: each
// piece is written and one poll is run on this thread, checked against the rules of a poll
// (only the first two bytes waiting are a message, everything else waiting is dropped, a lone
// byte is dropped). Mode bit 0 set: the port's own polling thread runs (1 ms rest) while the
// pieces arrive with pauses of up to 7 ms, and must end when stopped.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

#include "core/settings.h"
#include "deck/commands.h"
#include "deck/local_vcr.h"
#include "remote/ser_in_port.h"
#include "support/fake_command_port.h"
#include "support/fuzz_input.h"
#include "support/pty_pair.h"

namespace {
using vemo::deck::LocalVCR;
using vemo::remote::SerInPort;

class CountingMarks : public vemo::deck::LoggerMarks {
  public:
    void setin() override { ++ins; }
    void setout() override { ++outs; }
    int ins = 0;
    int outs = 0;
};

struct Harness {
    vemo::test::PtyPair pty;
    int probe = -1;  // the line seen from the console's side, only to count waiting bytes
    vemo::test::FakeCommandPort port;
    std::unique_ptr<LocalVCR> vcr;
    std::unique_ptr<SerInPort> aux;
    CountingMarks marks;

    Harness() {
        // RECON: the cue thread's settling waits are short.
        probe = ::open(pty.slaveName().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        FUZZ_CHECK(probe >= 0);
        vcr = std::make_unique<LocalVCR>(&port, vemo::core::Settings::forDeck("RECON"));
        vcr->setLoggerMarks(&marks);
        aux = std::make_unique<SerInPort>(pty.slaveName());
        FUZZ_CHECK(!aux->bad());
        aux->setlocalvcr(vcr.get());
    }

    int waiting() const {
        int n = 0;
        FUZZ_CHECK(::ioctl(probe, FIONREAD, &n) == 0);
        return n;
    }
    // The pty hands written bytes on a little later: wait until the console's side has them.
    void awaitWaiting(int want) const {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (waiting() != want) {
            FUZZ_CHECK(std::chrono::steady_clock::now() < end);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    }
};

Harness& harness() {
    static Harness h;
    return h;
}

void write(Harness& h, std::string_view piece) {
    std::vector<std::uint8_t> bytes(piece.begin(), piece.end());
    h.pty.writeMaster(bytes);
}

void direct(Harness& h, vemo::fuzz::FuzzInput& in) {
    while (!in.empty()) {
        const std::string_view piece = in.text(in.byte() % 8);
        write(h, piece);
        h.awaitWaiting(static_cast<int>(piece.size()));
        const int ins = h.marks.ins;
        const int outs = h.marks.outs;
        const long exchanges = static_cast<long>(h.port.frames().size());
        h.aux->readdirect();
        FUZZ_CHECK(h.waiting() == 0);
        const bool message = piece.size() >= 2;
        const auto b0 = message ? static_cast<std::uint8_t>(piece[0]) : 0;
        const auto b1 = message ? static_cast<std::uint8_t>(piece[1]) : 0;
        FUZZ_CHECK(h.marks.ins == ins + (b0 == 0x80 && b1 == 0x40 ? 1 : 0));
        FUZZ_CHECK(h.marks.outs == outs + (b0 == 0x80 && b1 == 0x41 ? 1 : 0));
        // A jog or a transport message reaches the deck; nothing else does.
        const bool moves = b0 == 0x81 || (b0 == 0x80 && vemo::deck::byAuxByte(b1).has_value());
        FUZZ_CHECK((static_cast<long>(h.port.frames().size()) > exchanges) == moves);
        h.vcr->stopCue();
    }
}

void threaded(Harness& h, vemo::fuzz::FuzzInput& in) {
    h.aux->setsleeptime(1);
    h.aux->start();
    FUZZ_CHECK(h.aux->running());
    int pieces = 0;
    while (!in.empty() && pieces++ < 16) {
        const std::uint8_t pause = in.byte();
        write(h, in.text(pause >> 3));
        std::this_thread::sleep_for(std::chrono::milliseconds(pause & 7));
    }
    // Whatever came is taken within a few polls (a message is followed by a longer rest).
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (h.waiting() != 0) {
        FUZZ_CHECK(std::chrono::steady_clock::now() < end);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    h.aux->stop();
    FUZZ_CHECK(!h.aux->running());
    h.vcr->stopCue();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vemo::fuzz::quietLog();
    Harness& h = harness();
    vemo::fuzz::FuzzInput in(data, size);
    const std::uint8_t mode = in.byte();
    ::tcflush(h.probe, TCIFLUSH);
    h.port.clear();  // the frames of earlier inputs
    if ((mode & 1) == 0)
        direct(h, in);
    else
        threaded(h, in);
    return 0;
}
