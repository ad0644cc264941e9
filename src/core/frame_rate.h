#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vemo::core {

// The frame rate the console counts in. 30 is the console's own rate (and the default):
// 30 frames a second, no drop-frame correction. 25 counts 25 frames a second. 29.97
// drop-frame labels frames at a nominal 30 a second but skips the labels ;00 and ;01 at
// the start of every minute except every tenth, so the count follows the real rate.
enum class FrameRate { Fps30, Fps25, Df2997 };

// "30", "25" or "29.97DF" (letter case and a blank before "DF" do not matter).
std::optional<FrameRate> parseFrameRate(std::string_view text);
std::string_view frameRateName(FrameRate rate);

// Frames in one labelled second: 30 for both 30 and 29.97 drop-frame, 25 for 25.
int framesPerSecond(FrameRate rate);
inline int lastFrame(FrameRate rate) {
    return framesPerSecond(rate) - 1;
}
inline bool isDropFrame(FrameRate rate) {
    return rate == FrameRate::Df2997;
}
// What stands before the frames in a time text of this rate: ";" for drop-frame.
inline char frameSeparator(FrameRate rate) {
    return isDropFrame(rate) ? ';' : ':';
}

// The four fields of a time label.
struct TimeFields {
    std::int64_t hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
};

// True when the label names a frame of this rate: minutes and seconds 00-59, frames up to
// the last frame, and in drop-frame none of the skipped labels.
bool namesFrame(FrameRate rate, const TimeFields& t);

// Frames from 00:00:00:00 to the label (hours not limited to 23). At 30 this is
// hours x 108000 + minutes x 1800 + seconds x 30 + frames.
std::int64_t frameCountOf(FrameRate rate, const TimeFields& t);
// The label of a frame count (a negative count gives 00:00:00:00).
TimeFields fieldsOfFrameCount(FrameRate rate, std::int64_t count);

// The text of the minutes/seconds/frames rule of a rate, for messages:
// "minutes and seconds 00-59, frames 00-29".
std::string_view rangeText(FrameRate rate);

}  // namespace vemo::core
