#include "core/edl/logger_edl.h"

#include "core/edl/logger_timecode.h"
#include "core/utils.h"

namespace vemo::core {
namespace {
int pairAt(std::string_view text, std::size_t at) {
    if (at + 1 >= text.size() || !loggertc::isDigit(text[at]) || !loggertc::isDigit(text[at + 1])) {
        return 0;
    }
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

std::string padded(int n) {
    std::string text = std::to_string(n);
    return text.size() == 1 ? "0" + text : text;
}
}  // namespace

void LoggerEDL::setFrameRate(FrameRate newRate) {
    rate = newRate;
    FCMString = mainFCMString = std::string(1, frameSeparator(rate));
}

int LoggerEDL::Extracthmsf(std::string_view text) {
    h = pairAt(text, 0);
    m = pairAt(text, 3);
    s = pairAt(text, 6);
    fr = pairAt(text, 9);
    return h * fph + m * fpm + s * fps + fr * fpfr;
}

int LoggerEDL::DRFCountcor() const {
    return h * 216 + (m / 10) * 36 + (m % 10) * 4;
}

int LoggerEDL::CalcDRFCount(std::string_view text) {
    // The count first: the correction uses the hours and minutes of this same text.
    int fields = Extracthmsf(text);
    return fields - DRFCountcor();
}

void LoggerEDL::SMPTEstring(int hours, int minutes, int seconds, int frames) {
    SMPTE = padded(hours) + ":" + padded(minutes) + ":" + padded(seconds) + ":" + padded(frames);
    Utils::OutLine(SMPTE);
}

bool LoggerEDL::getduration(int i) {
    startframes = endframes = duration = 0;
    if (!LoggerTable::valid(i))
        return false;
    std::int64_t in = loggertc::frameCount(table.SrcInArray[i], rate);
    std::int64_t out = loggertc::frameCount(table.SrcOutArray[i], rate);
    if (in < 0 || out < 0)
        return false;
    startframes = in;
    endframes = out;
    duration = endframes - startframes;
    return true;
}

std::string LoggerEDL::MakeZeroString2(std::string_view t, std::int64_t d) const {
    std::int64_t start = loggertc::recordFrameCount(t, rate);
    return loggertc::timeText((start < 0 ? 0 : start) + d, FCMString, rate);
}

LoggerEDL::SourceTimes LoggerEDL::getsourcetime(std::string_view line) {
    if (line.size() < 20)
        return SourceTimes::Unchanged;
    std::size_t k = line.find(':');
    if (k == std::string_view::npos || k < 20)
        return SourceTimes::Unchanged;
    if (!isnumeric(line[k - 1]))
        return SourceTimes::Unchanged;
    std::string_view t = line.substr(k - 2);
    // Two blanks between the source times move the out one place on.
    std::size_t outAt = (t.size() > 12 && t[12] == ' ') ? 13 : 12;
    if (t.size() < outAt + 11)
        return SourceTimes::PastEnd;
    timestring1 = std::string(t.substr(0, 11));
    timestring2 = std::string(t.substr(outAt, 11));
    if (verbose)
        Utils::OutLine(timestring1 + " " + timestring2);
    return SourceTimes::Taken;
}

}  // namespace vemo::core
