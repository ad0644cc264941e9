#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/frame_rate.h"

namespace vemo::deck {

// One BCD byte of a time code as two digit characters and its decimal value.
struct BcdDigits {
    char tens = '0';
    char units = '0';
    int val = 0;
};

// Minutes and seconds bytes. These carry no flag bits by definition, but a deck may still
// set the top bit; it is masked off so the tens digit is 0-7 and the units nibble is taken
// modulo 10, which always yields two decimal digits instead of an index past the digit table.
BcdDigits TCBCD(std::uint8_t b);
// Frames and hours bytes: the two top bits are flags and ignored (tens 0-3, units mod 10).
BcdDigits TCFBCD(std::uint8_t b);

// Forms that write the two digits into a time-code text at pos and pos + 1 and return val.
int TCBCD(std::uint8_t b, std::string& tc, std::size_t pos);
int TCFBCD(std::uint8_t b, std::string& tc, std::size_t pos);

// A time code HH:MM:SS:FF. Frame counts are at the console's frame rate: by default 30
// frames a second, no drop-frame correction.
struct TimeCode {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    // The deck flagged the time code as drop-frame (bit 6 of the frames byte): its text
    // has ";" before the frames.
    bool dropFrame = false;

    static constexpr int kFramesPerSecond = 30;
    static constexpr int kFramesPerMinute = 1800;
    static constexpr int kFramesPerHour = 108000;

    // At 30: hours x 108000 + minutes x 1800 + seconds x 30 + frames.
    int frameCount(core::FrameRate rate = core::FrameRate::Fps30) const;
    // Names a real time of the rate: minutes and seconds 00-59, frames 00-29 at 30 (00-24 at
    // 25), and at 29.97 drop-frame none of the skipped labels.
    bool inRange(core::FrameRate rate = core::FrameRate::Fps30) const;
    static TimeCode fromFrameCount(int count, core::FrameRate rate = core::FrameRate::Fps30);

    // The 11-character text, two digits per field (fields of 100 or more print wider), ";"
    // before the frames when dropFrame is set.
    std::string text() const;
    // Reads "HH:MM:SS:FF": fails on a text shorter than 11 characters or a non-digit at a
    // digit position (0-1, 3-4, 6-7, 9-10). The separators are not examined, so "01:02:03;04"
    // reads the same as "01:02:03:04".
    static std::optional<TimeCode> parse(std::string_view text);

    // From the four wire bytes (flag bits masked as TCBCD / TCFBCD do; the drop-frame flag
    // kept in dropFrame).
    static TimeCode fromBCD(std::uint8_t ff, std::uint8_t ss, std::uint8_t mm, std::uint8_t hh);
    // Frames, seconds, minutes, hours as BCD bytes (tens x 16 + units); fields of 0-99.
    std::array<std::uint8_t, 4> toBCD() const;

    friend bool operator==(const TimeCode&, const TimeCode&) = default;
};

// Time-code text to frame count, or nothing for a text that is not a time code.
std::optional<int> framesOf(std::string_view text);

}  // namespace vemo::deck
