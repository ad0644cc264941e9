// The one line rule: LF, CR or CR LF, whole texts, byte sources and pieces alike.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/line_reader.h"

namespace vemo::test {
namespace {

using core::ByteSource;
using Lines = std::vector<std::string>;

Lines readAll(std::string_view text, std::size_t maxLine = std::string::npos) {
    core::MemorySource source(text);
    core::LineReader reader(source, maxLine);
    Lines lines;
    for (std::string line; reader.next(line) == ByteSource::Status::Byte;)
        lines.push_back(line);
    return lines;
}

TEST(LineRule, EveryKindOfLineEndOnceWhateverReadsIt) {
    const struct {
        std::string text;
        Lines lines;
    } cases[] = {
        {"a\rb\nc\r\n\nd", {"a", "b", "c", "", "d"}},
        {"a\r\r\nb\n\r", {"a", "", "b", ""}},
        {"\r\n", {""}},
        {"", {}},
        {"last", {"last"}},
        {std::string("n\0l\n", 4), {std::string("n\0l", 3)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readAll(c.text), c.lines);
        EXPECT_EQ(core::splitLines(c.text), c.lines);
        // Byte by byte, as pieces from a socket arrive.
        core::LineEnds ends;
        Lines pieces;
        std::string current;
        bool open = false;
        for (char ch : c.text) {
            switch (ends.take(ch)) {
                case core::LineEnds::Kind::Text:
                    current.push_back(ch);
                    open = true;
                    break;
                case core::LineEnds::Kind::End:
                    pieces.push_back(current);
                    current.clear();
                    open = false;
                    break;
                case core::LineEnds::Kind::Skip:
                    break;
            }
        }
        if (open)
            pieces.push_back(current);
        EXPECT_EQ(pieces, c.lines);
    }
    EXPECT_EQ(readAll("abcdef\nxy", 4), (Lines{"abcd", "xy"})) << "bytes past the limit go";
}

}  // namespace
}  // namespace vemo::test
