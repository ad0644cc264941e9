// One command connection on arbitrary bytes in arbitrary pieces: the connection's own accept,
// greeting, line reading and closing, served on a local (AF_UNIX) listening socket in this
// process, with a RECON deck controller behind a port that answers nothing. The connection
// must end by itself on "Close", "KILL", an empty line or an overlong line, and otherwise
// when the client's side is shut; a "Wait" must end at once when the server stops. Every
// reply is whole lines, the first the "OK" greeting.
//
// Input: pieces of (length byte, repeat byte, that many bytes); the piece's bytes are sent
// repeat % 32 + 1 times, so that overlong lines come from short inputs.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "core/settings.h"
#include "core/unique_fd.h"
#include "deck/local_vcr.h"
#include "remote/client_socket.h"
#include "remote/dispatcher.h"
#include "remote/line_buffer.h"
#include "remote/stop_signal.h"
#include "support/fake_command_port.h"
#include "support/fuzz_input.h"

namespace {
using vemo::core::UniqueFd;
using vemo::deck::LocalVCR;
using vemo::remote::ClientSocket;
using vemo::remote::Dispatcher;
using vemo::remote::LineBuffer;
using vemo::remote::StopSignal;
using Clock = std::chrono::steady_clock;

struct Harness {
    vemo::test::FakeCommandPort port;
    std::unique_ptr<LocalVCR> vcr;
    UniqueFd listener;
    sockaddr_un address{};
    socklen_t addressSize = 0;

    Harness() {
        vcr = std::make_unique<LocalVCR>(&port, vemo::core::Settings::forDeck("RECON"));
        // An abstract name: nothing in the file system, unique to this process.
        address.sun_family = AF_UNIX;
        const std::string name = "vemo-session-fuzz-" + std::to_string(::getpid());
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        addressSize = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        listener = UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        FUZZ_CHECK(listener.valid());
        FUZZ_CHECK(::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), addressSize) == 0);
        FUZZ_CHECK(::listen(listener.get(), 4) == 0);
    }
};

Harness& harness() {
    static Harness h;
    return h;
}

// How the connection must end, from the lines as the server cuts them.
struct Expect {
    bool endsItself = false;  // Close, KILL, an empty line or an overlong line
    bool waits = false;       // a "Wait" comes before that
};

bool isWait(const std::string& line) {
    return line.rfind("Wait", 0) == 0 &&
           Dispatcher::waitSeconds(std::string_view(line).substr(4)).value_or(0) > 0;
}

Expect expect(const std::string& stream) {
    LineBuffer lines;
    lines.feed(stream.data(), stream.size());
    Expect e;
    while (auto line = lines.next()) {
        if (line->empty() || *line == "Close" || *line == "KILL") {
            e.endsItself = true;
            return e;
        }
        if (isWait(*line))
            e.waits = true;
    }
    e.endsItself = lines.overflow();
    // Unless the connection ends by itself the client's side is shut: an unterminated last
    // line is then a line too.
    if (auto rest = lines.finish(); rest && !e.endsItself && isWait(*rest))
        e.waits = true;
    return e;
}

// Reads until the server closes the connection or the time is up; false on time up. An
// interruption (libFuzzer's timer signal) is no end.
bool readToEnd(int fd, std::string& got, Clock::time_point until) {
    char buffer[4096];
    while (true) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready == 0 || (ready < 0 && errno == EINTR))
            continue;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return true;
        got.append(buffer, static_cast<std::size_t>(n));
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vemo::fuzz::quietLog();
    Harness& h = harness();
    vemo::fuzz::FuzzInput in(data, size);
    h.port.clear();  // the frames of earlier inputs
    std::string stream;
    while (!in.empty()) {
        const std::size_t length = in.byte();
        const int repeat = in.byte() % 32 + 1;
        const std::string_view piece = in.text(length);
        for (int i = 0; i < repeat; ++i)
            stream.append(piece);
    }
    const Expect e = expect(stream);

    StopSignal stop;
    auto session = std::make_shared<ClientSocket>(h.listener.get(), *h.vcr, stop,
                                                  vemo::remote::ServerConfig{});
    std::thread serving([session] { session->run(); });
    UniqueFd client(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    FUZZ_CHECK(client.valid());
    FUZZ_CHECK(::connect(client.get(), reinterpret_cast<sockaddr*>(&h.address), h.addressSize) ==
               0);
    // The pieces as the client sends them; the server may close before they are all in.
    in = vemo::fuzz::FuzzInput(data, size);
    bool open = true;
    while (open && !in.empty()) {
        const std::size_t length = in.byte();
        const int repeat = in.byte() % 32 + 1;
        const std::string_view piece = in.text(length);
        for (int i = 0; open && i < repeat && !piece.empty(); ++i)
            open = ::send(client.get(), piece.data(), piece.size(), MSG_NOSIGNAL) >= 0;
    }
    if (!e.endsItself)
        ::shutdown(client.get(), SHUT_WR);

    std::string got;
    bool ended =
        readToEnd(client.get(), got, Clock::now() + std::chrono::milliseconds(e.waits ? 20 : 5000));
    if (!ended) {
        // Only a wait may hold the connection; the server's stop ends it at once.
        FUZZ_CHECK(e.waits);
        stop.raise();
        ended = readToEnd(client.get(), got, Clock::now() + std::chrono::seconds(5));
    }
    FUZZ_CHECK(ended);
    serving.join();
    FUZZ_CHECK(session->accepted() && !session->connected());
    FUZZ_CHECK(h.vcr->connectThread() == nullptr);
    FUZZ_CHECK(got.rfind("OK\r\n", 0) == 0);
    FUZZ_CHECK(got.size() >= 2 && got.compare(got.size() - 2, 2, "\r\n") == 0);
    h.vcr->stopCue();
    return 0;
}
