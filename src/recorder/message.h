#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/frame_rate.h"

namespace vemo::recorder {

// One command as a controller sends it: "name" or "name: key: value key: value ...". Names
// and keys may hold blanks ("clips get", "clip id"); a value is one word.
struct Command {
    std::string name;
    std::vector<std::pair<std::string, std::string>> params;

    // The value of a key, when the command has it.
    std::optional<std::string> param(std::string_view key) const;
};

// A command line, or nothing when it is malformed (a key without a value, words after the
// last value that name no key, an empty name).
std::optional<Command> parseCommand(std::string_view line);

// "HH:MM:SS:FF", with ":" or ";" before the frames, as a frame count of the rate; nothing
// for a text that is not a time code or names no frame of the rate (hours 00-23).
std::optional<int> parseTimecode(std::string_view text, core::FrameRate rate);
// The time code of a frame count, ";" before the frames at 29.97 drop-frame.
std::string timecodeText(int frames, core::FrameRate rate);
// A length of frames in time-code form; lengths are counted without dropped labels, so they
// always have ":" before the frames.
std::string durationText(int frames, core::FrameRate rate);
// Frames in 24 hours at the rate: time codes stay below it.
int framesPerDay(core::FrameRate rate);

// The video format a controller reads the rate from: "1080p30", "1080i50", "1080i5994".
const char* videoFormat(core::FrameRate rate);

// A whole decimal number, optionally signed; nothing for anything else or past +-99999.
std::optional<int> parseNumber(std::string_view text);
// "true" or "false".
std::optional<bool> parseFlag(std::string_view text);

}  // namespace vemo::recorder
