#include "core/export/export_list.h"

#include <algorithm>

#include "core/edl/logger_timecode.h"

namespace vemo::core::exporter {
namespace {
// Length of the UTF-8 sequence that starts with this byte (0: not a first byte).
int sequenceLength(unsigned char c) {
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return 2;
    if (c >= 0xE0 && c <= 0xEF)
        return 3;
    if (c >= 0xF0 && c <= 0xF4)
        return 4;
    return 0;
}
}  // namespace

bool isUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const int n = sequenceLength(c);
        if (n == 0 || i + static_cast<std::size_t>(n) > bytes.size())
            return false;
        for (int k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80)
                return false;
        }
        // The second byte rules out overlong forms, surrogates and code points past U+10FFFF.
        const auto second = n > 1 ? static_cast<unsigned char>(bytes[i + 1]) : 0x80;
        if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second > 0x9F) ||
            (c == 0xF0 && second < 0x90) || (c == 0xF4 && second > 0x8F))
            return false;
        i += static_cast<std::size_t>(n);
    }
    return true;
}

bool ExportList::hasMedia() const {
    for (const ExportClip& clip : clips) {
        if (clip.media)
            return true;
    }
    return false;
}

std::string toUtf8(const std::string& bytes) {
    if (isUtf8(bytes))
        return bytes;
    std::string out;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string firstCharacters(const std::string& utf8, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t n = 0; n < count && at < utf8.size(); ++n) {
        const int len = sequenceLength(static_cast<unsigned char>(utf8[at]));
        at += static_cast<std::size_t>(len == 0 ? 1 : len);
    }
    return utf8.substr(0, std::min(at, utf8.size()));
}

std::string loggerReel(const std::string& utf8Name) {
    return firstCharacters(utf8Name, 6);
}

std::string entryProblem(const std::string& name, const std::string& in, const std::string& out,
                         FrameRate rate) {
    if (name.empty())
        return "no name";
    if (!loggertc::isValidTimeText(in, rate))
        return "no valid in (\"" + in + "\")";
    if (!loggertc::isValidTimeText(out, rate))
        return "no valid out (\"" + out + "\")";
    if (loggertc::frameCount(out, rate) <= loggertc::frameCount(in, rate))
        return "its out is not after its in";
    return {};
}

ExportList listFromTable(const LoggerTable& table, int count, FrameRate rate,
                         const std::string& title) {
    ExportList list;
    list.rate = rate;
    list.title = title;
    for (int i = 0; i < count && LoggerTable::valid(i); ++i) {
        const auto e = static_cast<std::size_t>(i);
        const std::string& in = table.SrcInArray[e];
        const std::string& out = table.SrcOutArray[e];
        if (std::string why = entryProblem(table.ClipNameArray[e], in, out, rate); !why.empty()) {
            list.leftOut.push_back("entry " + std::to_string(i + 1) + ": " + why);
            continue;
        }
        ExportClip clip;
        clip.number = i + 1;
        clip.name = toUtf8(table.ClipNameArray[e]);
        clip.reel = loggerReel(clip.name);
        clip.in = loggertc::frameCount(in, rate);
        clip.out = loggertc::frameCount(out, rate);
        list.clips.push_back(std::move(clip));
    }
    return list;
}

}  // namespace vemo::core::exporter
