#include <cstdio>

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
    if (!autochapter)
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
    if (lxline < 0 || lxline >= lxmax || lxline >= LxSize)
        return;
    if (line.size() < 20)
        return;
    std::size_t k = line.find(':');
    if (k == std::string::npos || k < 20)
        return;
    if (!isnumeric(line[k - 1]) || k + 3 >= line.size() || !iscolon(line[k + 3]))
        return;
    std::string_view t = std::string_view(line).substr(k - 2);
    // The source out follows after one blank, or after two.
    std::size_t out = (t.size() > 12 && t[12] == ' ') ? 13 : 12;
    if (t.size() < out + 11)
        return;  // no source out on this line
    timestring1 = std::string(t.substr(0, 11));
    timestring2 = std::string(t.substr(out, 11));

    std::string& command = lxedl[static_cast<std::size_t>(lxline)];
    if (autochapter && lxline >= lxmin + 1) {
        command = "CHP " + timestring1;
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
}

void RecorderEDL::full() {
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
        if (lxline < lxmax)
            getsourcetime(line);
    }
    if (lxline >= lxmax)
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
    while (lxline < lxmax && rawline < rawlinecount) {
        ++n;
        parsenextline();
    }
    if (!autochapter && onetitle && n > 1)
        changepausetostop();
    showrawedl();
    rawline = 0;
}

}  // namespace vemo::core
