#include "timecode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vemo::decksim {

namespace {

std::optional<int> twoDigits(const std::string& text, std::size_t at) {
    char a = text[at];
    char b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9')
        return std::nullopt;
    return (a - '0') * 10 + (b - '0');
}

std::optional<int> bcdValue(std::uint8_t b) {
    int tens = b >> 4;
    int units = b & 0x0F;
    if (tens > 9 || units > 9)
        return std::nullopt;
    return tens * 10 + units;
}

std::optional<long> frameCount(int hh, int mm, int ss, int ff) {
    if (hh > 23 || mm > 59 || ss > 59 || ff >= kFramesPerSecond)
        return std::nullopt;
    return ((hh * 60L + mm) * 60L + ss) * kFramesPerSecond + ff;
}

}  // namespace

std::optional<long> parseTimeCode(const std::string& text) {
    if (text.size() != 11 || text[2] != ':' || text[5] != ':' || text[8] != ':') {
        return std::nullopt;
    }
    auto hh = twoDigits(text, 0);
    auto mm = twoDigits(text, 3);
    auto ss = twoDigits(text, 6);
    auto ff = twoDigits(text, 9);
    if (!hh || !mm || !ss || !ff)
        return std::nullopt;
    return frameCount(*hh, *mm, *ss, *ff);
}

std::string formatTimeCode(long frames) {
    frames = std::max(0L, frames) % kFramesPerDay;
    long ff = frames % kFramesPerSecond;
    long seconds = frames / kFramesPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60, ff);
    return text;
}

std::uint8_t toBcd(int value) {
    return static_cast<std::uint8_t>(((value / 10) % 10) << 4 | (value % 10));
}

std::optional<long> decodeBcdTime(std::uint8_t ff, std::uint8_t ss, std::uint8_t mm,
                                  std::uint8_t hh) {
    auto f = bcdValue(ff & 0x3F);
    auto s = bcdValue(ss);
    auto m = bcdValue(mm);
    auto h = bcdValue(hh & 0x3F);
    if (!f || !s || !m || !h)
        return std::nullopt;
    return frameCount(*h, *m, *s, *f);
}

double speedOfByte(std::uint8_t speed) {
    if (speed == 0)
        return 0.0;
    return std::min(50.0, std::pow(10.0, speed / 32.0 - 2.0));
}

}  // namespace vemo::decksim
