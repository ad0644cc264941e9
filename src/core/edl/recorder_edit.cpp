#include "core/edl/recorder_edl.h"

namespace vemo::core {

namespace {
// "REC " + source in + " " + source out + " ": what stays when only the mode changes.
constexpr std::size_t RecTimesLength = 28;

// The last command becomes a recording in the new mode. A recording keeps its own times
// (after a Delete they are not those of the event processed last); anything else is
// rebuilt from the times of the event processed last.
void rewriteLast(std::string& last, const std::string& in, const std::string& out,
                 const std::string& mode) {
    const bool rec = last.compare(0, 4, "REC ") == 0 &&
                     (last.size() == RecTimesLength + 4 || last.size() == RecTimesLength + 5);
    if (rec) {
        last = last.substr(0, RecTimesLength) + mode;
    } else {
        last = "REC " + in + " " + out + " " + mode;
    }
}
}  // namespace

bool RecorderEDL::endsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail.data(), tail.size()) == 0;
}

bool RecorderEDL::isRec(const std::string& command) {
    return command.size() >= 20 && (endsWith(command, Stop) || endsWith(command, Pause));
}

// Steps back two lines before the one processed last and processes that one again. From
// the first lines there is nothing before them: the run starts again from line 1.
void RecorderEDL::backupsourceedl() {
    if (rawline <= 2) {
        rawline = 0;
    } else {
        rawline -= 3;
    }
    parsenextline();
}

void RecorderEDL::removeoutputline() {
    if (lxline > lxmin) {
        if (std::string* last = entry(lxline - 1))
            *last = std::string(Free);
        const int oldline = lxline;
        --lxline;
        if (finalize) {
            if (std::string* oldfnl = entry(oldline))
                *oldfnl = std::string(Free);
            if (std::string* fnl = entry(lxline))
                *fnl = "FNL";
        }
    }
    if (const std::string* last = entry(lxline - 1); lxline > 0 && last != nullptr) {
        if (last->size() > 10) {
            if (endsWith(*last, "AUSE"))
                setMode(Pause);
            if (endsWith(*last, Stop))
                setMode(Stop);
        }
    }
    // A WAI removed here must not be removed again, with a recording, by the save.
    const std::string* last = entry(lxline - 1);
    wait = lxline > lxmin && last != nullptr && *last == "WAI";
    showlxedl();
}

void RecorderEDL::changepausetostop() {
    changeLastMode(Stop);
}

void RecorderEDL::changestoptopause() {
    changeLastMode(Pause);
}

// The mode becomes the given one, and the last command is rewritten as a recording in it.
void RecorderEDL::changeLastMode(std::string_view mode) {
    setMode(mode);
    if (lxline < lxmin + 1 || lxline > lxmax + 1)
        return;
    std::string* last = entry(lxline - 1);
    if (last == nullptr || last->size() < 4)
        return;
    rewriteLast(*last, timestring1, timestring2, titlemodestring);
    showlxedl();
}

// Only a recording that follows another recording becomes a chapter mark of it.
void RecorderEDL::setchapter() {
    if (lxline < lxmin || lxline > lxmax + 1)
        return;
    std::string* last = entry(lxline - 1);
    const std::string* before = entry(lxline - 2);
    if (last == nullptr || before == nullptr || !isRec(*last) || !isRec(*before))
        return;
    *last = "CHP " + last->substr(4, 11);
    showlxedl();
}

// New tape: never first, never twice in a row, and only with room for the FNL after it.
void RecorderEDL::addwait() {
    if (lxline < lxmin + 1 || lxline > lxmax)
        return;
    const std::string* last = entry(lxline - 1);
    if (last == nullptr || last->size() < 7)
        return;
    std::string* slot = entry(lxline);
    std::string* fnl = entry(lxline + 1);
    if (slot == nullptr || (finalize && fnl == nullptr))
        return;
    *slot = "WAI";
    if (finalize)
        *fnl = "FNL";
    showlxedl();
    ++lxline;
    wait = true;
}

}  // namespace vemo::core
