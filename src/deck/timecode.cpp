#include "deck/timecode.h"

#include <cstdio>

namespace vemo::deck {
namespace {
constexpr char bcd[] = "0123456789";

// The single place where flag bits of a time-code byte are dropped.
BcdDigits digits(std::uint8_t b, std::uint8_t tensMask) {
    int tens = (b & tensMask) >> 4;
    int units = (b & 0x0F) % 10;
    return BcdDigits{bcd[tens], bcd[units], tens * 10 + units};
}

int writeDigits(const BcdDigits& d, std::string& tc, std::size_t pos) {
    if (tc.size() < pos + 2)
        tc.resize(pos + 2, '0');
    tc[pos] = d.tens;
    tc[pos + 1] = d.units;
    return d.val;
}

std::uint8_t toBcdByte(int value) {
    int v = value < 0 ? 0 : value % 100;
    return static_cast<std::uint8_t>((v / 10) * 16 + v % 10);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

BcdDigits TCBCD(std::uint8_t b) {
    return digits(b, 0x70);
}
BcdDigits TCFBCD(std::uint8_t b) {
    return digits(b, 0x30);
}

int TCBCD(std::uint8_t b, std::string& tc, std::size_t pos) {
    return writeDigits(TCBCD(b), tc, pos);
}
int TCFBCD(std::uint8_t b, std::string& tc, std::size_t pos) {
    return writeDigits(TCFBCD(b), tc, pos);
}

int TimeCode::frameCount(core::FrameRate rate) const {
    return static_cast<int>(
        core::frameCountOf(rate, core::TimeFields{hours, minutes, seconds, frames}));
}

bool TimeCode::inRange(core::FrameRate rate) const {
    return core::namesFrame(rate, core::TimeFields{hours, minutes, seconds, frames});
}

TimeCode TimeCode::fromFrameCount(int count, core::FrameRate rate) {
    const core::TimeFields f = core::fieldsOfFrameCount(rate, count);
    return TimeCode{static_cast<int>(f.hours), f.minutes, f.seconds, f.frames};
}

std::string TimeCode::text() const {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d%c%02d", hours, minutes, seconds,
                  dropFrame ? ';' : ':', frames);
    return buf;
}

std::optional<TimeCode> TimeCode::parse(std::string_view text) {
    if (text.size() < 11)
        return std::nullopt;
    int value[4];
    for (int field = 0; field < 4; ++field) {
        char hi = text[static_cast<std::size_t>(field * 3)];
        char lo = text[static_cast<std::size_t>(field * 3 + 1)];
        if (!isDigit(hi) || !isDigit(lo))
            return std::nullopt;
        value[field] = (hi - '0') * 10 + (lo - '0');
    }
    return TimeCode{value[0], value[1], value[2], value[3]};
}

TimeCode TimeCode::fromBCD(std::uint8_t ff, std::uint8_t ss, std::uint8_t mm, std::uint8_t hh) {
    constexpr std::uint8_t kDropFrameFlag = 0x40;
    return TimeCode{TCFBCD(hh).val, TCBCD(mm).val, TCBCD(ss).val, TCFBCD(ff).val,
                    (ff & kDropFrameFlag) != 0};
}

std::array<std::uint8_t, 4> TimeCode::toBCD() const {
    return {toBcdByte(frames), toBcdByte(seconds), toBcdByte(minutes), toBcdByte(hours)};
}

std::optional<int> framesOf(std::string_view text) {
    auto t = TimeCode::parse(text);
    if (!t)
        return std::nullopt;
    return t->frameCount();
}

}  // namespace vemo::deck
