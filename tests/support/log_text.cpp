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

}  // namespace vemo::test
