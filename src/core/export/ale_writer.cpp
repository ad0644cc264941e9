// ALE, the log format Avid bins import: a Heading of tab-separated settings, a Column line
// naming the fields and one tab-separated Data row per clip.
#include <set>

#include "core/edl/logger_timecode.h"
#include "core/export/export_format.h"

namespace vemo::core::exporter {
namespace {
constexpr std::size_t MaxName = 32;
constexpr std::string_view Eol = "\r\n";

// A field may hold no tab or line end: they would split the row.
std::string field(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

std::string_view fpsText(FrameRate rate) {
    switch (rate) {
        case FrameRate::Fps25:
            return "25";
        case FrameRate::Df2997:
            return "29.97";
        case FrameRate::Fps30:
            break;
    }
    return "30";
}

// Names past the limit are cut; a cut name that meets another name gets "~2", "~3", ...
std::vector<std::string> aleNames(const ExportList& list, int& cut) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const ExportClip& clip : list.clips) {
        names.push_back(field(clip.name));
        if (firstCharacters(names.back(), MaxName) == names.back())
            taken.insert(names.back());
    }
    for (std::string& name : names) {
        const std::string whole = firstCharacters(name, MaxName);
        if (whole == name)
            continue;
        ++cut;
        name = whole;
        for (int n = 2; taken.count(name) != 0; ++n) {
            const std::string suffix = "~" + std::to_string(n);
            name = firstCharacters(whole, MaxName - suffix.size()) + suffix;
        }
        taken.insert(name);
    }
    return names;
}
}  // namespace

Rendered renderAle(const ExportList& list) {
    Rendered r;
    std::string& out = r.bytes;
    const std::string sep(1, frameSeparator(list.rate));
    auto tc = [&](std::int64_t frames) { return loggertc::timeText(frames, sep, list.rate); };
    auto line = [&out](const std::string& text) {
        out += text;
        out += Eol;
    };
    line("Heading");
    line("FIELD_DELIM\tTABS");
    line(list.rate == FrameRate::Fps25 ? "VIDEO_FORMAT\tPAL" : "VIDEO_FORMAT\tNTSC");
    line("AUDIO_FORMAT\t48khz");
    line("FPS\t" + std::string(fpsText(list.rate)));
    line("");
    line("Column");
    const bool media = list.hasMedia();
    line(std::string("Name\tTracks\tStart\tEnd\tTape") +
         (media ? "\tSource File\tCapture Start\tCapture End\tOutcome" : ""));
    line("");
    line("Data");
    const std::vector<std::string> names = aleNames(list, r.namesCut);
    for (std::size_t i = 0; i < list.clips.size(); ++i) {
        const ExportClip& clip = list.clips[i];
        // The logger logs picture and two sound tracks (its EDL's AA/V).
        std::string row =
            names[i] + "\tVA1A2\t" + tc(clip.in) + "\t" + tc(clip.out) + "\t" + field(clip.reel);
        if (media) {
            const CapturedMedia m = clip.media.value_or(CapturedMedia{});
            row += "\t" + field(m.file) + "\t" + (m.start >= 0 ? tc(m.start) : "") + "\t" +
                   (m.end >= 0 ? tc(m.end) : "") + "\t" + field(m.outcome);
        }
        line(row);
    }
    return r;
}

}  // namespace vemo::core::exporter
