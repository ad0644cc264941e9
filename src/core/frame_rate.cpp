#include "core/frame_rate.h"

#include <cctype>
#include <string>

namespace vemo::core {
namespace {
// Drop-frame: two labels skipped at each minute but every tenth.
constexpr std::int64_t kDropPerMinute = 2;
constexpr std::int64_t kDfFramesPerMinute = 60 * 30 - kDropPerMinute;               // 1798
constexpr std::int64_t kDfFramesPerTenMinutes = 10 * 60 * 30 - 9 * kDropPerMinute;  // 17982

bool skippedLabel(const TimeFields& t) {
    return t.seconds == 0 && t.frames < kDropPerMinute && t.minutes % 10 != 0;
}
}  // namespace

std::optional<FrameRate> parseFrameRate(std::string_view text) {
    std::string word;
    for (char c : text) {
        if (c != ' ')
            word.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    if (word == "30")
        return FrameRate::Fps30;
    if (word == "25")
        return FrameRate::Fps25;
    if (word == "29.97DF")
        return FrameRate::Df2997;
    return std::nullopt;
}

std::string_view frameRateName(FrameRate rate) {
    switch (rate) {
        case FrameRate::Fps25:
            return "25";
        case FrameRate::Df2997:
            return "29.97DF";
        case FrameRate::Fps30:
            break;
    }
    return "30";
}

int framesPerSecond(FrameRate rate) {
    return rate == FrameRate::Fps25 ? 25 : 30;
}

bool namesFrame(FrameRate rate, const TimeFields& t) {
    if (t.hours < 0 || t.minutes < 0 || t.seconds < 0 || t.frames < 0)
        return false;
    if (t.minutes > 59 || t.seconds > 59 || t.frames > lastFrame(rate))
        return false;
    return !(isDropFrame(rate) && skippedLabel(t));
}

std::int64_t frameCountOf(FrameRate rate, const TimeFields& t) {
    const std::int64_t fps = framesPerSecond(rate);
    std::int64_t count = ((t.hours * 60 + t.minutes) * 60 + t.seconds) * fps + t.frames;
    if (isDropFrame(rate)) {
        const std::int64_t minutes = t.hours * 60 + t.minutes;
        count -= kDropPerMinute * (minutes - minutes / 10);
    }
    return count;
}

TimeFields fieldsOfFrameCount(FrameRate rate, std::int64_t count) {
    if (count < 0)
        count = 0;
    if (isDropFrame(rate)) {
        // Put the skipped labels back, then split as at 30.
        const std::int64_t tens = count / kDfFramesPerTenMinutes;
        const std::int64_t rest = count % kDfFramesPerTenMinutes;
        count += 9 * kDropPerMinute * tens;
        if (rest >= kDropPerMinute)
            count += kDropPerMinute * ((rest - kDropPerMinute) / kDfFramesPerMinute);
    }
    const std::int64_t fps = framesPerSecond(rate);
    TimeFields t;
    t.frames = static_cast<int>(count % fps);
    const std::int64_t secondsTotal = count / fps;
    t.seconds = static_cast<int>(secondsTotal % 60);
    t.minutes = static_cast<int>(secondsTotal / 60 % 60);
    t.hours = secondsTotal / 3600;
    return t;
}

std::string_view rangeText(FrameRate rate) {
    switch (rate) {
        case FrameRate::Fps25:
            return "minutes and seconds 00-59, frames 00-24";
        case FrameRate::Df2997:
            return "minutes and seconds 00-59, frames 00-29, no ;00 or ;01 at a minute's start "
                   "but every tenth";
        case FrameRate::Fps30:
            break;
    }
    return "minutes and seconds 00-59, frames 00-29";
}

}  // namespace vemo::core
