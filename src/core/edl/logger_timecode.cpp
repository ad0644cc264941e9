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

TimeFields fieldsAt(std::string_view text, std::int64_t hours, std::size_t tail) {
    return TimeFields{hours, pair(text, tail + 1), pair(text, tail + 4), pair(text, tail + 7)};
}
}  // namespace

bool isTimeText(std::string_view text) {
    return text.size() == 11 && digitPair(text, 0) && digitPair(text, 3) && digitPair(text, 6) &&
           digitPair(text, 9);
}

bool isValidTimeText(std::string_view text, FrameRate rate) {
    if (!isTimeText(text) || text[2] != ':' || text[5] != ':')
        return false;
    if (text[8] != ':' && text[8] != ';' && text[8] != '.')
        return false;
    return namesFrame(rate, fieldsAt(text, pair(text, 0), 2));
}

std::int64_t frameCount(std::string_view text, FrameRate rate) {
    if (!isTimeText(text))
        return -1;
    return frameCountOf(rate, fieldsAt(text, pair(text, 0), 2));
}

std::int64_t recordFrameCount(std::string_view text, FrameRate rate) {
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
    return frameCountOf(rate, fieldsAt(text, hours, tail));
}

std::string timeText(std::int64_t frames, std::string_view frameSeparator, FrameRate rate) {
    const TimeFields t = fieldsOfFrameCount(rate, frames);
    std::string out = digits(t.hours);
    out += ':';
    out += digits(t.minutes);
    out += ':';
    out += digits(t.seconds);
    out += frameSeparator;
    out += digits(t.frames);
    return out;
}

}  // namespace vemo::core::loggertc
