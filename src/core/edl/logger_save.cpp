#include <cstdio>
#include <vector>

#include "core/edl/logger_edl.h"
#include "core/edl/logger_file.h"
#include "core/edl/logger_timecode.h"
#include "core/utils.h"

namespace vemo::core {
namespace {
constexpr std::string_view TrackAndTransition = "AA/V  C        ";

std::string editNumber(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", number);
    return text;
}

// The tape column: at most 6 characters of the name ("S" for none), then at least one
// blank, at least 6 columns in all.
std::string tapeField(const std::string& name) {
    std::string field = name.empty() ? std::string("S") : name.substr(0, 6);
    field.push_back(' ');
    while (field.size() < 6)
        field.push_back(' ');
    return field;
}

std::string entryList(const std::vector<int>& numbers) {
    std::string text;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += std::to_string(numbers[i]);
    }
    return text;
}

void addMessage(std::string& to, const std::string& message) {
    if (!to.empty())
        to += "; ";
    to += message;
}
}  // namespace

std::string LoggerEDL::buildEDL(LoggerSaveResult& result) {
    std::string out;
    auto line = [&out](std::string_view text) {
        out += text;
        out += "\r\n";
    };
    line("TITLE: " + savename + " ");
    line("REM Made by " + madeBy + " ");
    line(mainFCMString == ":" ? "FCM: NON-DROP FRAME " : "FCM: DROP FRAME ");

    // Events sit end to end on the record side from one hour on.
    std::string recordIn = "01:00:00" + mainFCMString + "00";
    std::int64_t recordInFrames = frameCountOf(rate, TimeFields{1, 0, 0, 0});
    std::vector<int> reversed;
    int i = 0;
    do {
        if (!getduration(i)) {
            std::string message = "Entry " + std::to_string(i + 1) + " has no valid source time: ";
            message += i == 0 ? "no events saved" : "not saved past entry " + std::to_string(i);
            Utils::OutLine(message);
            addMessage(result.statusMessage, message);
            result.stoppedAtBadEntry = true;
            break;
        }
        std::int64_t length = duration;
        if (length < 0) {
            // An out before the in would give a record out before the record in.
            Utils::OutLine("Entry " + std::to_string(i + 1) +
                           " ends before it starts: saved with no record length");
            reversed.push_back(i + 1);
            length = 0;
        }
        std::string recordOut = loggertc::timeText(recordInFrames + length, FCMString, rate);
        line(editNumber(i + 1) + "  " + tapeField(table.ClipNameArray[i]) + "   " +
             std::string(TrackAndTransition) + table.SrcInArray[i] + " " + table.SrcOutArray[i] +
             " " + recordIn + " " + recordOut + " ");
        recordIn = recordOut;
        recordInFrames += length;
        ++i;
        result.eventsWritten = i;
    } while (i < LoggerTable::NumEntries && table.SrcOutArray[i] != LoggerTable::TCString);

    if (!reversed.empty()) {
        result.reversedEntries = true;
        addMessage(result.statusMessage,
                   reversed.size() == 1
                       ? "Entry " + entryList(reversed) +
                             " ends before it starts: saved with no record length"
                       : "Entries " + entryList(reversed) +
                             " end before they start: saved with no record length");
    }
    return out;
}

std::string LoggerBadEntry::describe() const {
    return "entry " + std::to_string(entry + 1) + " has an invalid source " +
           (sourceIn ? "in" : "out") + ": \"" + text + "\"";
}

int LoggerEDL::entriesToSave() const {
    int count = 1;  // the first entry is always written
    while (count < LoggerTable::NumEntries &&
           table.SrcOutArray[static_cast<std::size_t>(count)] != LoggerTable::TCString)
        ++count;
    return count;
}

std::optional<LoggerBadEntry> LoggerEDL::firstBadEntry() const {
    const int count = entriesToSave();
    for (int i = 0; i < count; ++i) {
        const auto e = static_cast<std::size_t>(i);
        if (!loggertc::isValidTimeText(table.SrcInArray[e], rate))
            return LoggerBadEntry{i, true, table.SrcInArray[e]};
        if (!loggertc::isValidTimeText(table.SrcOutArray[e], rate))
            return LoggerBadEntry{i, false, table.SrcOutArray[e]};
    }
    return std::nullopt;
}

LoggerSaveResult LoggerEDL::SaveEDL(const std::string& path) {
    LoggerSaveResult result;
    // One bad entry must not turn a good file into a shorter one: check all before writing.
    if (auto bad = firstBadEntry()) {
        result.badEntry = bad;
        result.statusMessage = "EDL not saved: " + bad->describe();
        Utils::OutLine(result.statusMessage);
        return result;
    }
    std::string bytes = buildEDL(result);
    loggerio::WriteOutcome written = loggerio::replaceFile(path, bytes);
    result.saved = written.ok;
    if (!written.ok) {
        Utils::OutLine(written.logLine);
        result.eventsWritten = 0;
        std::string message = "EDL not saved: " + written.logLine;
        if (!result.statusMessage.empty())
            message += "; " + result.statusMessage;
        result.statusMessage = message;
    }
    return result;
}

}  // namespace vemo::core
