#pragma once

// Small EDLs in the dialects editing systems write, each with the clips an editor sees in it;
// shared by the logger's and the converter's tests.
#include <algorithm>
#include <string>
#include <vector>

#include "core/frame_rate.h"

namespace vemo::test {

struct EdlClip {
    std::string reel, in, out;
};

struct EdlSample {
    const char* dialect;
    core::FrameRate rate;
    std::string text;
    std::vector<EdlClip> clips;
};

// A CMX 3600 event line; with a three-digit edit number the source in starts at position 29.
inline std::string cmxEvent(const std::string& number, const std::string& reel,
                            const std::string& track, const std::string& transition,
                            const std::string& in, const std::string& out) {
    std::string line = number + "  " + reel;
    line.resize(std::max<std::size_t>(line.size() + 1, 14), ' ');
    line += track;
    line.resize(std::max<std::size_t>(line.size() + 1, 20), ' ');
    line += transition;
    line.resize(std::max<std::size_t>(line.size() + 1, 29), ' ');
    return line + in + " " + out + " 01:00:00:00 01:00:10:00";
}

inline std::vector<EdlSample> edlSamples() {
    using core::FrameRate;
    const std::string title = "TITLE: sample\r\nFCM: NON-DROP FRAME\r\n";
    const std::string a = cmxEvent("001", "AX", "V", "C", "00:00:05:00", "00:00:07:00");
    const std::string b = cmxEvent("002", "BX", "AA/V", "C", "00:00:09:00", "00:00:10:00");
    const std::vector<EdlClip> ab{{"AX", "00:00:05:00", "00:00:07:00"},
                                  {"BX", "00:00:09:00", "00:00:10:00"}};
    return {
        {"ByteOrderMarkBlankLinesCrOnly", FrameRate::Fps30,
         "\xEF\xBB\xBF\r \rTITLE: t\rFCM: NON-DROP FRAME\r" + a + "\r" + b + "\r", ab},
        {"WideEventNumbersAndLongComments", FrameRate::Fps30,
         title + "0001 " + a.substr(4) + "\n* FROM CLIP NAME: " + std::string(60, 'M') + "\n* " +
             std::string(70, '=') + "\nM2   AX       020.0                00:00:05:00" +
             std::string(30, ' ') + "\n000002 " + b.substr(5) + "\n",
         ab},
        // A dissolve (its zero-length outgoing cut first), black, and an audio-only event.
        {"TransitionsAndAudio",
         FrameRate::Fps30,
         title + a + "\n" + cmxEvent("002", "AX", "V", "C", "00:00:08:00", "00:00:08:00") + "\n" +
             cmxEvent("002", "BX", "V", "D    030", "00:00:09:00", "00:00:10:00") + "\n" +
             cmxEvent("003", "BL", "V", "C", "00:00:00:00", "00:00:00:00") + "\n" +
             cmxEvent("004", "CX", "A", "C", "00:00:20:00", "00:00:21:00") + "\n",
         {ab[0],
          {"AX", "00:00:08:00", "00:00:08:00"},
          ab[1],
          {"BL", "00:00:00:00", "00:00:00:00"},
          {"CX", "00:00:20:00", "00:00:21:00"}}},
        {"TwentyFive",
         FrameRate::Fps25,
         title + cmxEvent("001", "AX", "V", "C", "00:00:01:24", "00:00:02:10") + "\n",
         {{"AX", "00:00:01:24", "00:00:02:10"}}},
        {"DropFrame",
         FrameRate::Df2997,
         "TITLE: df\r\nFCM: DROP FRAME\r\n" +
             cmxEvent("001", "AX", "V", "C", "00:00:59;29", "00:01:00;02") + "\r\n",
         {{"AX", "00:00:59;29", "00:01:00;02"}}},
    };
}

}  // namespace vemo::test
