#include "support/log_text.h"

#include <algorithm>
#include <sstream>

namespace vemo::test {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

bool hasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int countFrames(const std::string& log, const std::string& frame) {
    int n = 0;
    const std::string needle = " " + frame + " pos=";
    for (auto pos = log.find(needle); pos != std::string::npos; pos = log.find(needle, pos + 1))
        ++n;
    return n;
}

std::optional<int> haltAgainst(const std::string& log, int outFrames) {
    const auto play = log.rfind(" 20 01 21 pos=");
    if (play == std::string::npos)
        return std::nullopt;
    const std::string stop = " 20 00 20 pos=";
    const auto at = log.find(stop, play);
    if (at == std::string::npos || log.size() < at + stop.size() + 11)
        return std::nullopt;
    const std::string tc = log.substr(at + stop.size(), 11);
    auto two = [&tc](std::size_t i) { return (tc[i] - '0') * 10 + (tc[i + 1] - '0'); };
    const int frames = two(0) * 108000 + two(3) * 1800 + two(6) * 30 + two(9);
    return frames - outFrames;
}

}  // namespace vemo::test
