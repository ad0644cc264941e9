#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/frame_rate.h"

// Time-code texts as the logger reads and writes them: HH:MM:SS:FF, counted at the console's
// frame rate (30 frames a second with no drop-frame correction unless the settings say
// otherwise), hours not limited to 23.
namespace vemo::core::loggertc {

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// An 11-character text with digits at 0-1, 3-4, 6-7 and 9-10. The characters between the
// pairs are not looked at, so ";" or "." before the frames reads the same as ":".
bool isTimeText(std::string_view text);

// A time text the logger may save: isTimeText, ":" between hours, minutes and seconds, ":",
// ";" or "." before the frames, and a label that names a frame of the rate (minutes and
// seconds 00-59, frames 00-29 at 30).
bool isValidTimeText(std::string_view text, FrameRate rate = FrameRate::Fps30);

// Frame count of a well-formed time text; -1 for any other text.
std::int64_t frameCount(std::string_view text, FrameRate rate = FrameRate::Fps30);

// Frame count of a record-side text, whose hours may run to three digits or more past 99
// ("100:00:00:00"); -1 for a malformed text.
std::int64_t recordFrameCount(std::string_view text, FrameRate rate = FrameRate::Fps30);

// The text of a frame count, with frameSeparator between seconds and frames. Hours take as
// many digits as they need (at least two) and are not wrapped at 24; a negative count is
// written as 0.
std::string timeText(std::int64_t frames, std::string_view frameSeparator,
                     FrameRate rate = FrameRate::Fps30);

}  // namespace vemo::core::loggertc
