// One disk-recorder session on arbitrary bytes: the stream is cut into lines as the server
// cuts it, and each line goes to the session with a fake deck and three logged clips behind
// it. Every command line must get exactly one whole reply (a code, its text, CR LF, and for a
// reply with a body the empty line that ends it); a blank line or a line of a multi-line
// command gets none until the command's empty line. Quit ends the session. The deck state is
// taken from the input too, so replies about it see odd values.
#include <cstdint>
#include <string>
#include <string_view>

#include "recorder/fake_recorder_deck.h"
#include "recorder/session.h"
#include "remote/line_buffer.h"
#include "support/fuzz_input.h"

namespace {
using vemo::recorder::Session;

// A reply as the protocol writes it: "NNN text" and CR LF, a body ending in an empty line.
bool wholeReply(const std::string& r) {
    if (r.size() < 6 || r[3] != ' ' || r.compare(r.size() - 2, 2, "\r\n") != 0)
        return false;
    for (int i = 0; i < 3; ++i) {
        if (r[static_cast<std::size_t>(i)] < '0' || r[static_cast<std::size_t>(i)] > '9')
            return false;
    }
    const std::size_t firstEnd = r.find("\r\n");
    const bool body = r[firstEnd - 1] == ':';
    if (!body)
        return firstEnd == r.size() - 2;
    return r.size() >= 4 && r.compare(r.size() - 4, 4, "\r\n\r\n") == 0 &&
           r.find("\r\n\r\n") == r.size() - 4;
}

std::string_view trimmed(std::string_view t) {
    const auto first = t.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return t.substr(first, t.find_last_not_of(" \t") - first + 1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vemo::fuzz::FuzzInput in(data, size);
    vemo::recorder::test::FakeRecorderDeck deck;
    const std::uint8_t mode = in.byte();
    deck.rate = static_cast<vemo::core::FrameRate>(mode % 3);
    deck.jogAndShuttle = (mode & 4) != 0;
    deck.cueWorks = (mode & 8) != 0;
    const int frames = static_cast<int>(in.word()) * 40;
    deck.setState({static_cast<vemo::recorder::Transport>(in.byte() % 7),
                   static_cast<int>(in.word()) - 32768, frames, (mode & 16) != 0,
                   (mode & 32) != 0});
    vemo::recorder::SharedClipList clips;
    if ((mode & 64) != 0)
        clips.set(vemo::recorder::test::threeClips());
    Session session(deck, clips, vemo::recorder::SessionOptions{(mode & 128) != 0});

    const std::string_view rest = in.text(in.remaining());
    vemo::remote::LineBuffer lines;
    lines.feed(rest.data(), rest.size());
    bool inBlock = false;
    while (auto line = lines.next()) {
        const std::string_view t = trimmed(*line);
        auto out = session.feed(*line);
        // Which lines answer: a command line outside a block that opens none, and the empty
        // line that ends a block.
        const bool opens =
            !inBlock && t.size() > 1 && t.back() == ':' && t.find(':') == t.size() - 1;
        const bool answers = inBlock ? t.empty() || out.has_value() : !t.empty() && !opens;
        FUZZ_CHECK(out.has_value() == answers);
        if (inBlock && out)
            inBlock = false;
        else if (opens)
            inBlock = true;
        if (out) {
            FUZZ_CHECK(wholeReply(out->reply));
            if (out->close)
                break;
        }
        // Every change is answered the same way however often it is asked for.
        const auto snap = vemo::recorder::takeSnapshot(deck, clips.clips());
        FUZZ_CHECK(session.notifications(snap, snap).empty());
    }
    return 0;
}
