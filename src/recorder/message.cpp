#include "recorder/message.h"

#include "core/trimmed.h"

namespace vemo::recorder {
namespace {

using core::trimmed;

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            out.push_back(text.substr(start, i - start));
    }
    return out;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::string> Command::param(std::string_view key) const {
    for (const auto& [k, v] : params) {
        if (k == key)
            return v;
    }
    return std::nullopt;
}

std::optional<Command> parseCommand(std::string_view line) {
    Command c;
    const auto colon = line.find(':');
    c.name = std::string(trimmed(line.substr(0, colon)));
    if (c.name.empty())
        return std::nullopt;
    if (colon == std::string_view::npos)
        return c;
    // A key is the words up to one ending in ":"; its value is the next word.
    std::string key;
    bool wantValue = false;
    for (std::string_view w : words(line.substr(colon + 1))) {
        if (wantValue) {
            c.params.emplace_back(key, std::string(w));
            key.clear();
            wantValue = false;
        } else if (w.back() == ':') {
            w.remove_suffix(1);
            if (w.empty() && key.empty())
                return std::nullopt;
            if (!w.empty())
                key += key.empty() ? std::string(w) : " " + std::string(w);
            wantValue = true;
        } else {
            key += key.empty() ? std::string(w) : " " + std::string(w);
        }
    }
    if (wantValue || !key.empty())
        return std::nullopt;
    return c;
}

std::optional<int> parseTimecode(std::string_view text, core::FrameRate rate) {
    if (text.size() != 11 || text[2] != ':' || text[5] != ':' || (text[8] != ':' && text[8] != ';'))
        return std::nullopt;
    for (std::size_t i : {0, 1, 3, 4, 6, 7, 9, 10}) {
        if (!isDigit(text[i]))
            return std::nullopt;
    }
    auto two = [&](std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
    core::TimeFields t;
    t.hours = two(0);
    t.minutes = two(3);
    t.seconds = two(6);
    t.frames = two(9);
    if (t.hours > 23 || !core::namesFrame(rate, t))
        return std::nullopt;
    return static_cast<int>(core::frameCountOf(rate, t));
}

std::string timecodeText(int frames, core::FrameRate rate) {
    const core::TimeFields t = core::fieldsOfFrameCount(rate, frames);
    auto two = [](std::int64_t v) {
        std::string s = std::to_string(v);
        return s.size() < 2 ? "0" + s : s;
    };
    return two(t.hours) + ":" + two(t.minutes) + ":" + two(t.seconds) + core::frameSeparator(rate) +
           two(t.frames);
}

std::string durationText(int frames, core::FrameRate rate) {
    return timecodeText(frames, core::isDropFrame(rate) ? core::FrameRate::Fps30 : rate);
}

int framesPerDay(core::FrameRate rate) {
    core::TimeFields day;
    day.hours = 24;
    return static_cast<int>(core::frameCountOf(rate, day));
}

const char* videoFormat(core::FrameRate rate) {
    switch (rate) {
        case core::FrameRate::Fps25:
            return "1080i50";
        case core::FrameRate::Df2997:
            return "1080i5994";
        case core::FrameRate::Fps30:
            break;
    }
    return "1080p30";
}

std::optional<int> parseNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::optional<bool> parseFlag(std::string_view text) {
    if (text == "true")
        return true;
    if (text == "false")
        return false;
    return std::nullopt;
}

}  // namespace vemo::recorder
