#include "core/edl/logger_timecode.h"

namespace vemo::core::loggertc {
namespace {
int pair(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

bool digitPair(std::string_view text, std::size_t at) {
    return isDigit(text[at]) && isDigit(text[at + 1]);
}

std::string digits(std::int64_t n) {
    // The tens first and the units after, so 100 hours read "100".
    return std::to_string(n / 10) + std::to_string(n % 10);
}
}  // namespace

bool isTimeText(std::string_view text) {
    return text.size() == 11 && digitPair(text, 0) && digitPair(text, 3) && digitPair(text, 6) &&
           digitPair(text, 9);
}

bool isValidTimeText(std::string_view text) {
    if (!isTimeText(text) || text[2] != ':' || text[5] != ':')
        return false;
    if (text[8] != ':' && text[8] != ';' && text[8] != '.')
        return false;
    return pair(text, 3) < 60 && pair(text, 6) < 60 && pair(text, 9) < FramesPerSecond;
}

std::int64_t frameCount(std::string_view text) {
    if (!isTimeText(text))
        return -1;
    return pair(text, 0) * FramesPerHour + pair(text, 3) * FramesPerMinute +
           pair(text, 6) * FramesPerSecond + pair(text, 9);
}

std::int64_t recordFrameCount(std::string_view text) {
    // Minutes, seconds and frames are the last nine characters; the hours are all before.
    if (text.size() < 11 || text.size() > 18)
        return -1;
    std::size_t tail = text.size() - 9;
    if (!digitPair(text, tail + 1) || !digitPair(text, tail + 4) || !digitPair(text, tail + 7)) {
        return -1;
    }
    std::int64_t hours = 0;
    for (std::size_t i = 0; i < tail; ++i) {
        if (!isDigit(text[i]))
            return -1;
        hours = hours * 10 + (text[i] - '0');
    }
    return hours * FramesPerHour + pair(text, tail + 1) * FramesPerMinute +
           pair(text, tail + 4) * FramesPerSecond + pair(text, tail + 7);
}

std::string timeText(std::int64_t frames, std::string_view frameSeparator) {
    std::int64_t total = frames < 0 ? 0 : frames;
    std::int64_t hours = total / FramesPerHour;
    std::int64_t rest = total - hours * FramesPerHour;
    std::int64_t minutes = rest / FramesPerMinute;
    std::int64_t seconds = (rest - minutes * FramesPerMinute) / FramesPerSecond;
    std::int64_t fr = total % FramesPerSecond;
    std::string out = digits(hours);
    out += ':';
    out += digits(minutes);
    out += ':';
    out += digits(seconds);
    out += frameSeparator;
    out += digits(fr);
    return out;
}

}  // namespace vemo::core::loggertc
