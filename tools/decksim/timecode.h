#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vemo::decksim {

// The deck's frame rate. Tape positions are frame counts from 00:00:00:00: by default 30
// frames a second, no drop frame. At 29.97 drop-frame the tape runs 30000/1001 frames a
// second and the labels ;00 and ;01 are skipped at each minute but every tenth.
struct Rate {
    long fps = 30;  // frames in one labelled second
    bool dropFrame = false;
    double framesPerRealSecond() const { return dropFrame ? 30000.0 / 1001.0 : double(fps); }
    long framesPerDay() const;
};

// "30", "25" or "29.97DF".
std::optional<Rate> parseRate(const std::string& text);

// "HH:MM:SS:FF" (";" before the frames too at drop-frame) naming a frame of the rate;
// nothing otherwise.
std::optional<long> parseTimeCode(const std::string& text, Rate rate = {});
std::string formatTimeCode(long frames, Rate rate = {});

// The four labels of a frame count: hours, minutes, seconds, frames.
std::array<int, 4> labelOf(long frames, Rate rate);

std::uint8_t toBcd(int value);  // 0..99
// The four time bytes of the wire (frames, seconds, minutes, hours) as a frame count. The
// two top bits of the frames and hours bytes are flags and ignored; a digit above 9 or a
// field out of range gives nothing.
std::optional<long> decodeBcdTime(std::uint8_t ff, std::uint8_t ss, std::uint8_t mm,
                                  std::uint8_t hh, Rate rate = {});

// Play speeds (1.0 = play) of the speed byte of shuttle, jog and variable commands, on the
// usual 9-pin curve 10^(byte/32 - 2): 20 = 0.1x, 40 = 1x, 4A = 2x, 10 = 0.03x. Byte 00 is
// still; the curve is capped at 50x, the fastest shuttle of a real transport.
double speedOfByte(std::uint8_t speed);

}  // namespace vemo::decksim
