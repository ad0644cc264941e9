#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/edl/recorder_edl.h"

namespace vemo::core::testing {

// Remembers everything the converter shows, logs and waits for; never sleeps.
class RecordingView : public RecorderView {
  public:
    void showSource(const std::string& text) override { sources.push_back(text); }
    void showOutput(const std::string& text) override { outputs.push_back(text); }
    void setTitle(const std::string& text) override { titles.push_back(text); }
    void wait(int milliseconds) override { waits.push_back(milliseconds); }
    void log(const std::string& line) override { logs.push_back(line); }

    bool shownSource(const std::string& text) const {
        for (const auto& s : sources)
            if (s == text)
                return true;
        return false;
    }

    std::vector<std::string> sources, outputs, titles, logs;
    std::vector<int> waits;
};

// "HH:MM:SS:FF" for a frame count at 30 frames a second.
inline std::string timecode(int frames) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", frames / 108000 % 100,
                  frames / 1800 % 60, frames / 30 % 60, frames % 30);
    return text;
}

// A CMX-style event line: edit number, tape, track, cut, source in/out, record in/out.
inline std::string eventLine(int number, const std::string& in, const std::string& out) {
    char edit[8];
    std::snprintf(edit, sizeof edit, "%03d", number % 1000);
    return std::string(edit) + "  AX       V     C        " + in + " " + out +
           " 01:00:00:00 01:00:10:00";
}

// The source of the three-event example: 1-2, 3-4 and 5-6 minutes.
inline std::string threeEvents() {
    return "TITLE: three\nFCM: NON-DROP FRAME\n" + eventLine(1, "00:01:00:00", "00:02:00:00") +
           "\n" + eventLine(2, "00:03:00:00", "00:04:00:00") + "\n" +
           eventLine(3, "00:05:00:00", "00:06:00:00") + "\n";
}

// Count events, each as a line of its own; every event is 10 s long, 20 s apart.
inline std::string manyEvents(int count, bool comments) {
    std::string text = "TITLE: many\r\nFCM: NON-DROP FRAME\r\n";
    for (int i = 0; i < count; ++i) {
        text += eventLine(i + 1, timecode(i * 600), timecode(i * 600 + 300)) + "\r\n";
        if (comments)
            text += "* FROM CLIP NAME: clip" + std::to_string(i) + ".mov\r\n\r\n";
    }
    return text;
}

// The commands of the recorder list, in order, without the free entries.
inline std::vector<std::string> commands(const RecorderEDL& edl) {
    std::vector<std::string> list;
    for (const auto& c : edl.lxedl) {
        if (c.size() > 1)
            list.push_back(c);
    }
    return list;
}

// The window's defaults, whatever the settings of an earlier test left.
inline void defaultOptions(RecorderEDL& edl) {
    edl.initialize = true;
    edl.finalize = true;
    edl.onetitle = false;
    edl.autochapter = false;
    edl.verbose = false;
    edl.skipAudioOnly = false;
    edl.skipZeroLength = false;
    edl.reelChanges = false;
    edl.rate = FrameRate::Fps30;
}

}  // namespace vemo::core::testing
