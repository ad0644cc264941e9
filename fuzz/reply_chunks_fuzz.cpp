// The deck command port's reply taking, on a pseudo-terminal that plays the deck: reply bytes
// arrive in arbitrary pieces (garbage, short and long replies, leftovers of earlier ones)
// between exchanges. Each exchange and each extra read is checked against the port's rules:
// the reply is what was waiting, taken 16 bytes a read, every read starting again at the
// buffer's first byte, at most a receive buffer's worth an exchange; an exchange starts from
// a cleared buffer, an extra read does not. A controller over a port without a deck whose
// exchanges are this port's shows a time code exactly when the reply taken is time data that
// names a time.
//
// Input: operations until the input ends, each one byte and its arguments:
//   0: a piece from the deck (length byte, that many bytes)
//   1: an exchange (length byte % 8, that many frame bytes); the frame must reach the deck
//   2: an extra read
//   3: a time-code read by the controller
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/settings.h"
#include "deck/deck_display.h"
#include "deck/local_vcr.h"
#include "deck/protocol.h"
#include "serial/ser_out_port.h"
#include "support/fake_command_port.h"
#include "support/fake_deck_display.h"
#include "support/fuzz_input.h"
#include "support/pty_pair.h"

namespace {
using vemo::serial::ExchangeResult;
using vemo::serial::SerOutPort;

constexpr std::size_t kMaxWaiting = 1024;  // well inside the line's input buffer
constexpr std::size_t kChunk = SerOutPort::buffersize;

class TimeDisplay : public vemo::test::QuietDeckDisplay {
  public:
    void ShowTC(const vemo::deck::TimeCode& tc) override { tcs.push_back(tc.text()); }
    std::vector<std::string> tcs;
};

struct Harness {
    vemo::test::PtyPair pty;
    int probe = -1;  // the line seen from the console's side, only to count waiting bytes
    std::unique_ptr<SerOutPort> port;

    Harness() {
        probe = ::open(pty.slaveName().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        FUZZ_CHECK(probe >= 0);
        ::fcntl(pty.master(), F_SETFL, ::fcntl(pty.master(), F_GETFL) | O_NONBLOCK);
        port = std::make_unique<SerOutPort>(pty.slaveName());
        FUZZ_CHECK(!port->bad() && port->hasSerialPort() && port->hasOutputStream());
        port->setwait(0);
        port->setLateReplyGrace(std::chrono::milliseconds(0));
    }

    int waiting() const {
        int n = 0;
        FUZZ_CHECK(::ioctl(probe, FIONREAD, &n) == 0);
        return n;
    }
    // The pty hands written bytes on a little later: wait until the console's side has them.
    void awaitWaiting(std::size_t want) const {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (waiting() != static_cast<int>(want)) {
            FUZZ_CHECK(std::chrono::steady_clock::now() < end);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    }
    // What the console wrote, as the deck receives it.
    std::vector<std::uint8_t> sent(std::size_t want) {
        return pty.readMaster(want, std::chrono::seconds(5));
    }
};

Harness& harness() {
    static Harness h;
    return h;
}

// The port's rules, over the bytes waiting on the line.
struct Model {
    std::deque<std::uint8_t> waiting;
    std::array<std::uint8_t, kChunk> buffer{};

    ExchangeResult read(bool clear) {
        if (clear)
            buffer.fill(0);
        ExchangeResult r;
        std::size_t taken = 0;
        while (taken < static_cast<std::size_t>(SerOutPort::kMaxBytesPerExchange) &&
               !waiting.empty()) {
            const std::size_t n = std::min(kChunk, waiting.size());
            std::copy_n(waiting.begin(), n, buffer.begin());
            waiting.erase(waiting.begin(), waiting.begin() + static_cast<long>(n));
            r.count = static_cast<int>(n);
            taken += n;
        }
        r.bytes = buffer;
        return r;
    }
};

void checkSame(const ExchangeResult& got, const ExchangeResult& want) {
    FUZZ_CHECK(got.count == want.count && got.bytes == want.bytes);
}

void piece(Harness& h, Model& m, vemo::fuzz::FuzzInput& in) {
    const auto text = in.text(in.byte());
    if (m.waiting.size() + text.size() > kMaxWaiting)
        return;
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    h.pty.writeMaster(bytes);
    m.waiting.insert(m.waiting.end(), bytes.begin(), bytes.end());
    h.awaitWaiting(m.waiting.size());
}

void exchange(Harness& h, Model& m, vemo::fuzz::FuzzInput& in) {
    const auto text = in.text(in.byte() % 8);
    std::vector<std::uint8_t> frame(text.begin(), text.end());
    ExchangeResult got = h.port->SendSerial(frame.data(), frame.size());
    FUZZ_CHECK(got.sent);
    checkSame(got, m.read(true));
    FUZZ_CHECK(h.sent(frame.size()) == frame);
}

void timeCode(Harness& h, Model& m) {
    vemo::test::FakeCommandPort through;
    std::vector<ExchangeResult> wanted;
    through.setReply([&](const vemo::test::Bytes& frame) {
        ExchangeResult got = h.port->SendSerial(frame.data(), frame.size());
        checkSame(got, m.read(true));
        FUZZ_CHECK(h.sent(frame.size()) == frame);
        wanted.push_back(got);
        return got;
    });
    TimeDisplay display;
    {
        vemo::deck::LocalVCR vcr(&through, vemo::core::Settings{});
        vcr.setDisplay(&display);
        vcr.CommandB8();
    }
    FUZZ_CHECK(wanted.size() == 1);
    // Which time data names a time is the reply target's concern; here: the decoder's word.
    const bool time =
        vemo::deck::protocol::decodeTimeData(wanted[0].bytes.data(), wanted[0].count).has_value();
    FUZZ_CHECK(display.tcs.size() == (time ? 1u : 0u));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vemo::fuzz::quietLog();
    Harness& h = harness();
    vemo::fuzz::FuzzInput in(data, size);
    // Each input starts on an empty line.
    ::tcflush(h.probe, TCIOFLUSH);
    h.awaitWaiting(0);
    Model m;
    h.port->SendSerial(nullptr, 0);
    while (!in.empty()) {
        switch (in.byte() % 4) {
            case 0:
                piece(h, m, in);
                break;
            case 1:
                exchange(h, m, in);
                break;
            case 2:
                // An exchange with no frame: only the reply taking.
                checkSame(h.port->SendSerial(nullptr, 0), m.read(true));
                break;
            default:
                timeCode(h, m);
                break;
        }
    }
    return 0;
}
