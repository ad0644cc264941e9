#include <cstdio>
#include <optional>

#include "core/edl/recorder_edl.h"

namespace vemo::core {

std::string* RecorderEDL::entry(int i) {
    if (i < 0 || i >= LxSize)
        return nullptr;
    return &lxedl[static_cast<std::size_t>(i)];
}

void RecorderEDL::setMode(std::string_view mode) {
    titlemodestring = std::string(mode);
}

// A new list is also a new run: its mode comes from the All PS option again, so a STOP
// left by the fix-up at the end of the last run does not leak into this one.
void RecorderEDL::newlxedl() {
    lxedl.fill(std::string(Free));
    setMode(onetitle ? Pause : Stop);
    wait = false;
    lxline = 0;
    lxmin = 0;
    lxmax = LxSize;
    lastReel_.clear();
    roomRefused_ = false;
    omissions.badEvents.clear();
    omissions.notFitting = 0;
    if (initialize) {
        lxedl[0] = "INI";
        --lxmax;
        lxline = lxmin = 1;
        if (finalize) {
            lxedl[1] = "FNL";
            --lxmax;
        }
    } else if (finalize) {
        lxedl[0] = "FNL";
        --lxmax;
    }
    showlxedl();
}

// With AutoCH the first recording runs from the first event's source in to the source
// out of the event processed last; the later events are its chapter marks.
void RecorderEDL::applyAutoChapter() {
    // With tape changes every tape's recording is kept to its own events as it is built.
    if (!autochapter || reelChanges)
        return;
    std::string* first = entry(lxmin);
    if (first == nullptr || first->size() <= 15)
        return;
    *first = first->substr(0, 16) + timestring2 + " " + std::string(Stop);
}

std::string RecorderEDL::edltext(bool crlf) {
    applyAutoChapter();
    const char* end = crlf ? "\r\n" : "\n";
    std::string text(Header);
    text += end;
    int chapters = 0;
    for (const auto& command : lxedl) {
        if (command.compare(0, 3, "CHP") == 0)
            ++chapters;
        if (command.size() <= 1)
            continue;
        char number[16];
        std::snprintf(number, sizeof number, "%03d ", chapters);
        text += number;
        text += command;
        text += end;
    }
    return text;
}

void RecorderEDL::showlxedl() {
    lxfile = edltext(false);
    view_->showOutput(lxfile);
}

void RecorderEDL::getsourcetime(const std::string& line) {
    // Never more event commands than the list takes.
    if (lxline < 0 || lxline >= lxmax || lxline >= LxSize || roomRefused_)
        return;
    std::optional<SourceEvent> event = eventOf(line);
    if (!event)
        return;
    // A time the recorder cannot cue to is not copied into its list.
    if (std::string why = invalidReason(*event, rate); !why.empty()) {
        omissions.badEvents[currentLine_] = why;
        view_->log("line " + std::to_string(currentLine_) + ": " + why + ", event left out");
        return;
    }
    if (leftOutByFilter(*event))
        return;
    if (!takeEvent(*event))
        roomRefused_ = true;
}

bool RecorderEDL::takeEvent(const SourceEvent& event) {
    bool newReel = false;
    if (reelChanges && !event.reel.empty()) {
        newReel = !lastReel_.empty() && event.reel != lastReel_;
        // The tape change and the event go in together, or neither does.
        if (newReel && lxline + 1 >= lxmax)
            return false;
        if (newReel)
            addwait();
        lastReel_ = event.reel;
    }
    timestring1 = event.in;
    timestring2 = event.out;

    std::string& command = lxedl[static_cast<std::size_t>(lxline)];
    const std::string* before = entry(lxline - 1);
    const bool afterTapeChange = reelChanges && before != nullptr && *before == "WAI";
    if (autochapter && lxline >= lxmin + 1 && !afterTapeChange) {
        command = "CHP " + timestring1;
        extendRecording();
    } else {
        command = "REC " + timestring1 + " " + timestring2 + " " + titlemodestring;
    }
    if (finalize) {
        if (std::string* next = entry(lxline + 1))
            *next = "FNL";
    }
    showlxedl();
    ++lxline;
    wait = false;
    return true;
}

// With tape changes each tape's one recording runs to the source out of its own last
// event, so it never runs across a reel.
void RecorderEDL::extendRecording() {
    if (!reelChanges)
        return;
    for (int i = lxline - 1; i >= lxmin; --i) {
        std::string* command = entry(i);
        if (command == nullptr || *command == "WAI")
            return;
        if (command->compare(0, 4, "REC ") == 0 && command->size() > 15) {
            *command = command->substr(0, 16) + timestring2 + " " + std::string(Stop);
            return;
        }
    }
}

void RecorderEDL::full() {
    countLeftOver();
    view_->showSource(std::string(FullText));
    if (titlemodestring == Pause && !autochapter)
        changepausetostop();
    view_->wait(FullWait);
    showrawedl();
}

void RecorderEDL::parsenextline() {
    if (rawline < 0)
        rawline = 0;
    if (rawline == 0)
        newlxedl();
    std::string line = rawAt(rawline);
    while (rawline < rawlinecount) {
        line = rawAt(rawline);
        ++rawline;
        if (line.size() >= 2 || rawline >= rawlinecount)
            break;
    }
    if (rawline <= rawlinecount) {
        view_->showSource(std::to_string(rawline) + " " + line);
        if (lxline < lxmax) {
            currentLine_ = rawline;
            getsourcetime(line);
            currentLine_ = 0;
        }
    }
    if (lxline >= lxmax || roomRefused_)
        full();
    if (rawline > rawlinecount) {
        view_->showSource(std::string(EndText));
        if (titlemodestring == Pause && !autochapter)
            changepausetostop();
        view_->wait(EndWait);
        showrawedl();
    }
}

// Bounded by the commands the list takes, not by the lines read: comment lines between
// events never stop a source that still fits. Each call moves on at least one line.
void RecorderEDL::autoedl() {
    newlxedl();
    rawline = 0;
    int n = 0;
    while (lxline < lxmax && !roomRefused_ && rawline < rawlinecount) {
        ++n;
        parsenextline();
    }
    if (!autochapter && onetitle && n > 1)
        changepausetostop();
    showrawedl();
    rawline = 0;
}

}  // namespace vemo::core
