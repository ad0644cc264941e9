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

// Drop-frame: 1798 frames a minute, 17982 every ten minutes.
constexpr long kDropped = 2;
constexpr long kDropMinute = 60 * 30 - kDropped;
constexpr long kDropTenMinutes = 10 * 60 * 30 - 9 * kDropped;

std::optional<long> frameCount(int hh, int mm, int ss, int ff, Rate rate) {
    if (hh > 23 || mm > 59 || ss > 59 || ff >= rate.fps)
        return std::nullopt;
    long minutes = hh * 60L + mm;
    long count = (minutes * 60L + ss) * rate.fps + ff;
    if (!rate.dropFrame)
        return count;
    if (ss == 0 && ff < kDropped && mm % 10 != 0)
        return std::nullopt;  // a label drop-frame skips
    return count - kDropped * (minutes - minutes / 10);
}

}  // namespace

long Rate::framesPerDay() const {
    return dropFrame ? 24L * 6L * kDropTenMinutes : 24L * 3600L * fps;
}

std::optional<Rate> parseRate(const std::string& text) {
    if (text == "30")
        return Rate{30, false};
    if (text == "25")
        return Rate{25, false};
    if (text == "29.97DF" || text == "29.97df")
        return Rate{30, true};
    return std::nullopt;
}

std::array<int, 4> labelOf(long frames, Rate rate) {
    frames = std::max(0L, frames) % rate.framesPerDay();
    if (rate.dropFrame) {
        long rest = frames % kDropTenMinutes;
        frames += 9 * kDropped * (frames / kDropTenMinutes);
        if (rest >= kDropped)
            frames += kDropped * ((rest - kDropped) / kDropMinute);
    }
    long seconds = frames / rate.fps;
    return {static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
            static_cast<int>(seconds % 60), static_cast<int>(frames % rate.fps)};
}

std::optional<long> parseTimeCode(const std::string& text, Rate rate) {
    const bool separator =
        text.size() == 11 && (text[8] == ':' || (rate.dropFrame && text[8] == ';'));
    if (!separator || text[2] != ':' || text[5] != ':') {
        return std::nullopt;
    }
    auto hh = twoDigits(text, 0);
    auto mm = twoDigits(text, 3);
    auto ss = twoDigits(text, 6);
    auto ff = twoDigits(text, 9);
    if (!hh || !mm || !ss || !ff)
        return std::nullopt;
    return frameCount(*hh, *mm, *ss, *ff, rate);
}

std::string formatTimeCode(long frames, Rate rate) {
    auto label = labelOf(frames, rate);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", label[0], label[1], label[2],
                  rate.dropFrame ? ';' : ':', label[3]);
    return text;
}

std::uint8_t toBcd(int value) {
    return static_cast<std::uint8_t>(((value / 10) % 10) << 4 | (value % 10));
}

std::optional<long> decodeBcdTime(std::uint8_t ff, std::uint8_t ss, std::uint8_t mm,
                                  std::uint8_t hh, Rate rate) {
    auto f = bcdValue(ff & 0x3F);
    auto s = bcdValue(ss);
    auto m = bcdValue(mm);
    auto h = bcdValue(hh & 0x3F);
    if (!f || !s || !m || !h)
        return std::nullopt;
    return frameCount(*h, *m, *s, *f, rate);
}

double speedOfByte(std::uint8_t speed) {
    if (speed == 0)
        return 0.0;
    return std::min(50.0, std::pow(10.0, speed / 32.0 - 2.0));
}

}  // namespace vemo::decksim
