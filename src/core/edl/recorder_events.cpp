// Events of standard EDL lines: taking them out of a line, checking them, and what a
// conversion left out.
#include <cstdio>
#include <filesystem>

#include "core/edl/logger_timecode.h"
#include "core/edl/recorder_edl.h"

namespace vemo::core {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The word at i (after any blanks) and where it ends.
std::string_view wordAt(std::string_view line, std::size_t& i) {
    while (i < line.size() && isBlank(line[i]))
        ++i;
    const std::size_t start = i;
    while (i < line.size() && !isBlank(line[i]))
        ++i;
    return line.substr(start, i - start);
}

// Control characters and bytes past 7-bit ASCII shown as \xNN, so a message stays one
// printable line.
std::string printable(std::string_view text) {
    std::string out;
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (b < 32 || b >= 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

std::optional<SourceEvent> RecorderEDL::eventOf(std::string_view line) {
    if (line.size() < 20)
        return std::nullopt;
    std::size_t k = line.find(':');
    if (k == std::string_view::npos || k < 20)
        return std::nullopt;
    if (!isnumeric(line[k - 1]) || k + 3 >= line.size() || !iscolon(line[k + 3]))
        return std::nullopt;
    std::string_view t = line.substr(k - 2);
    // The source out follows after one blank, or after two.
    std::size_t out = (t.size() > 12 && t[12] == ' ') ? 13 : 12;
    if (t.size() < out + 11)
        return std::nullopt;  // no source out on this line
    // A speed (M2) line has one time only; blanks after it are no source out.
    if (t.substr(out, 11).find_first_not_of(' ') == std::string_view::npos)
        return std::nullopt;
    SourceEvent event;
    event.in = std::string(t.substr(0, 11));
    event.out = std::string(t.substr(out, 11));

    // An event line starts with an edit number of digits, then the reel and the track.
    std::size_t i = 0;
    while (i < line.size() && isnumeric(line[i]))
        ++i;
    if (i > 0 && i < line.size() && isBlank(line[i])) {
        event.reel = std::string(wordAt(line, i));
        const std::string_view track = wordAt(line, i);
        event.video = track.find('V') != std::string_view::npos || track == "B";
    }
    return event;
}

std::string RecorderEDL::invalidReason(const SourceEvent& event, FrameRate rate) {
    const std::string fps = std::string(frameRateName(rate)) + " fps";
    if (!loggertc::isValidTimeText(event.in, rate))
        return "source in " + printable(event.in) + " is not a time code at " + fps;
    if (!loggertc::isValidTimeText(event.out, rate))
        return "source out " + printable(event.out) + " is not a time code at " + fps;
    if (loggertc::frameCount(event.out, rate) < loggertc::frameCount(event.in, rate))
        return "source out " + event.out + " is before source in " + event.in;
    return {};
}

bool RecorderEDL::leftOutByFilter(const SourceEvent& event) const {
    if (skipAudioOnly && !event.video)
        return true;
    return skipZeroLength &&
           loggertc::frameCount(event.in, rate) == loggertc::frameCount(event.out, rate);
}

void RecorderEDL::countLeftOver() {
    int count = roomRefused_ ? 1 : 0;
    for (int i = rawline; i < rawlinecount; ++i) {
        std::optional<SourceEvent> event = eventOf(rawAt(i));
        if (!event)
            continue;
        if (std::string why = invalidReason(*event, rate); !why.empty()) {
            omissions.badEvents[i + 1] = why;
            continue;
        }
        if (leftOutByFilter(*event))
            continue;
        ++count;
    }
    omissions.notFitting = count;
}

std::vector<std::string> RecorderEDL::leftOutReport() const {
    std::vector<std::string> lines;
    if (omissions.stoppedAtLine > 0) {
        lines.push_back("line " + std::to_string(omissions.stoppedAtLine) +
                        ": not text, reading stopped there");
    }
    if (omissions.lineLimit) {
        lines.push_back("only the first " + std::to_string(RawSize) +
                        " lines were read, the rest left out");
    }
    for (const auto& [line, why] : omissions.badEvents)
        lines.push_back("line " + std::to_string(line) + ": " + why + ", event left out");
    if (omissions.notFitting > 0) {
        lines.push_back(std::string(FullText) + ": " + std::to_string(omissions.notFitting) +
                        " source event" + (omissions.notFitting == 1 ? "" : "s") + " left out");
    }
    return lines;
}

bool RecorderEDL::isSourceFile(const std::string& path) const {
    if (sourcePath_.empty())
        return false;
    std::error_code ec;
    return std::filesystem::equivalent(sourcePath_, path, ec) && !ec;
}

}  // namespace vemo::core
