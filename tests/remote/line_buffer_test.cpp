#include "remote/line_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vemo::remote {
namespace {

std::vector<std::string> drain(LineBuffer& b) {
    std::vector<std::string> out;
    while (auto line = b.next())
        out.push_back(*line);
    return out;
}

void feed(LineBuffer& b, const std::string& s) {
    b.feed(s.data(), s.size());
}

TEST(LineBuffer, EveryLineEndOnceEvenWhenCrAndLfArriveApart) {
    LineBuffer b;
    feed(b, "a\rb\nc\r\nd\r");
    EXPECT_EQ(drain(b), (std::vector<std::string>{"a", "b", "c", "d"}));
    feed(b, "\ne\n\r\n");  // the LF completes d's CR LF; then e, then an empty line
    EXPECT_EQ(drain(b), (std::vector<std::string>{"e", ""}));
    feed(b, "\n");
    EXPECT_EQ(drain(b), std::vector<std::string>{""});
    feed(b, "tail");
    EXPECT_TRUE(drain(b).empty());
    EXPECT_EQ(b.finish(), "tail");
    EXPECT_EQ(b.finish(), std::nullopt);
}

TEST(LineBuffer, LineAtTheLimitPassesOneByteMoreOverflows) {
    LineBuffer b(8);
    feed(b, std::string(8, 'x') + "\n");
    EXPECT_EQ(drain(b), std::vector<std::string>{std::string(8, 'x')});
    EXPECT_FALSE(b.overflow());
    feed(b, "ok\n" + std::string(5, 'y'));
    feed(b, std::string(4, 'y') + "\nlater\n");
    EXPECT_TRUE(b.overflow());
    EXPECT_EQ(drain(b), std::vector<std::string>{"ok"});  // lines before it still count
    EXPECT_EQ(b.finish(), std::nullopt);
}

TEST(LineBuffer, BytesOfEveryValueButCrAndLfStayInTheLine) {
    LineBuffer b;
    std::string all;
    for (int c = 0; c < 256; ++c) {
        if (c != '\r' && c != '\n')
            all.push_back(static_cast<char>(c));
    }
    feed(b, all + "\n");
    EXPECT_EQ(drain(b), std::vector<std::string>{all});
}

}  // namespace
}  // namespace vemo::remote
