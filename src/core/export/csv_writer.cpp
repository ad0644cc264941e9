// CSV for inventories and spreadsheets: one header row, one row per clip, RFC 4180 quoting.
#include "core/edl/logger_timecode.h"
#include "core/export/export_format.h"

namespace vemo::core::exporter {
namespace {
// Quoted when it holds a comma, a quote or a line end; quotes inside are doubled.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

void row(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        out += csvField(fields[i]);
    }
    out += "\r\n";
}
}  // namespace

Rendered renderCsv(const ExportList& list) {
    Rendered r;
    const std::string sep(1, frameSeparator(list.rate));
    auto tc = [&](std::int64_t frames) { return loggertc::timeText(frames, sep, list.rate); };
    const bool media = list.hasMedia();
    std::vector<std::string> header = {"Edit", "Name",     "Reel",           "In",
                                       "Out",  "Duration", "Duration Frames"};
    if (media)
        header.insert(header.end(), {"File", "Outcome", "Actual Start", "Actual End"});
    row(r.bytes, header);
    for (const ExportClip& clip : list.clips) {
        std::vector<std::string> fields = {std::to_string(clip.number),
                                           clip.name,
                                           clip.reel,
                                           tc(clip.in),
                                           tc(clip.out),
                                           tc(clip.duration()),
                                           std::to_string(clip.duration())};
        if (media) {
            const CapturedMedia m = clip.media.value_or(CapturedMedia{});
            fields.insert(fields.end(), {m.file, m.outcome, m.start >= 0 ? tc(m.start) : "",
                                         m.end >= 0 ? tc(m.end) : ""});
        }
        row(r.bytes, fields);
    }
    return r;
}

}  // namespace vemo::core::exporter
