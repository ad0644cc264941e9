#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vemo::decksim {

// Tape positions are frame counts at 30 frames a second, no drop frame.
inline constexpr long kFramesPerSecond = 30;
inline constexpr long kFramesPerDay = 24L * 3600L * kFramesPerSecond;

// "HH:MM:SS:FF" with every field in range; nothing otherwise.
std::optional<long> parseTimeCode(const std::string& text);
std::string formatTimeCode(long frames);

std::uint8_t toBcd(int value);  // 0..99
// The four time bytes of the wire (frames, seconds, minutes, hours) as a frame count. The
// two top bits of the frames and hours bytes are flags and ignored; a digit above 9 or a
// field out of range gives nothing.
std::optional<long> decodeBcdTime(std::uint8_t ff, std::uint8_t ss, std::uint8_t mm,
                                  std::uint8_t hh);

// Play speeds (1.0 = play) of the speed byte of shuttle, jog and variable commands, on the
// usual 9-pin curve 10^(byte/32 - 2): 20 = 0.1x, 40 = 1x, 4A = 2x, 10 = 0.03x. Byte 00 is
// still; the curve is capped at 50x, the fastest shuttle of a real transport.
double speedOfByte(std::uint8_t speed);

}  // namespace vemo::decksim
