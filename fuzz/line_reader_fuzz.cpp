// The network line splitter on arbitrary bytes in arbitrary pieces. Checked against a plain
// model of the same rules over the whole stream at once: the same lines whatever the pieces
// (a CR at the end of one piece and an LF at the start of the next are one line end), none
// longer than the limit, and nothing kept after an overflow.
//
// Input: one byte for the limit, then pairs of (piece length, that many bytes).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "remote/line_buffer.h"
#include "support/fuzz_input.h"

namespace {
using vemo::remote::LineBuffer;

struct Split {
    std::vector<std::string> lines;
    std::optional<std::string> rest;
    bool overflow = false;
};

// The rules written out once more, byte by byte over the whole stream.
Split model(std::string_view stream, std::size_t limit) {
    Split out;
    std::string partial;
    bool afterCR = false;
    for (char c : stream) {
        if (afterCR && c == '\n') {
            afterCR = false;
            continue;
        }
        afterCR = c == '\r';
        if (c == '\n' || c == '\r') {
            out.lines.push_back(partial);
            partial.clear();
        } else if (partial.size() == limit) {
            out.overflow = true;
            return out;
        } else {
            partial.push_back(c);
        }
    }
    if (!partial.empty())
        out.rest = partial;
    return out;
}

Split drain(LineBuffer& buffer, std::vector<std::string>& lines) {
    while (auto line = buffer.next())
        lines.push_back(*line);
    Split out;
    out.lines = lines;
    out.overflow = buffer.overflow();
    out.rest = buffer.finish();
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vemo::fuzz::FuzzInput in(data, size);
    const std::uint8_t l = in.byte();
    // Mostly small limits, so that overflows happen; 0 is the network's own limit.
    const std::size_t limit = l == 0 ? LineBuffer::kMaxLine : l;

    LineBuffer pieces(limit);
    std::vector<std::string> taken;
    std::string stream;
    while (!in.empty()) {
        std::string_view piece = in.text(in.byte());
        stream.append(piece);
        pieces.feed(piece.data(), piece.size());
        // Take lines between pieces too, as the connection does.
        if (piece.size() % 3 == 0) {
            while (auto line = pieces.next())
                taken.push_back(*line);
        }
    }
    Split got = drain(pieces, taken);

    LineBuffer whole(limit);
    whole.feed(stream.data(), stream.size());
    std::vector<std::string> all;
    Split once = drain(whole, all);

    Split want = model(stream, limit);
    FUZZ_CHECK(got.lines == want.lines && got.rest == want.rest && got.overflow == want.overflow);
    FUZZ_CHECK(once.lines == want.lines && once.rest == want.rest &&
               once.overflow == want.overflow);
    for (const std::string& line : got.lines) {
        FUZZ_CHECK(line.size() <= limit);
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    }
    return 0;
}
