#pragma once

#include <string>
#include <vector>

#include "deck/timecode.h"

namespace vemo::deck {

// What a deck's status lights up on the display; the window decides which control shows it.
enum class Indicator {
    stop,
    play,
    fastForward,
    rewind,
    standby,
    jogForward,
    jogReverse,
    record,
    shuttle
};

// The display operations deck control uses on the main window. Every operation may be
// called from any thread and returns at once; the window queues the work to its own thread.
class DeckDisplay {
  public:
    virtual ~DeckDisplay() = default;
    // A time code read from the deck (the window shows its text).
    virtual void ShowTC(const TimeCode& tc) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    // A failure the operator must act on; a window may hold it longer and mark it as one.
    virtual void ShowError(const std::string& text) { ShowStatus(text); }
    // Waits on the display's own thread while it keeps painting; false when called on any
    // other thread, which then sleeps instead.
    virtual bool waitHere(int milliseconds) {
        (void)milliseconds;
        return false;
    }
    virtual void clearbuttons() = 0;
    virtual void hilight(Indicator indicator) = 0;
    // What one status reply lights; every other indicator goes dark. By default the buttons
    // are cleared and each lit one highlighted.
    virtual void showIndicators(const std::vector<Indicator>& lit) {
        clearbuttons();
        for (Indicator indicator : lit)
            hilight(indicator);
    }
    virtual void show() = 0;
    // Cue controls while a cue runs: bcue, bcueout, bcueplay, breview enabled (light grey)
    // or disabled (dark grey); the cue and end fields editable or not.
    virtual void setCueControlsEnabled(bool enabled) = 0;
    virtual void EnableConnect(bool enabled) = 0;
    // The deck stopped answering (false) or answers again (true): while it does not, the
    // time code is shown greyed with a plain "no deck" indication.
    virtual void ShowDeckAnswering(bool answering) { (void)answering; }
    // The shown time code becomes the in point (then MakeCueString) / the out point.
    virtual void setcue() = 0;
    virtual void setreview() = 0;
};

// Receives each time code read, for the desktop clipboard.
class ClipboardSink {
  public:
    virtual ~ClipboardSink() = default;
    virtual void setText(const std::string& text) = 0;
};

// The connected network client: replies and cue progress words go to it as single lines.
class NetClient {
  public:
    virtual ~NetClient() = default;
    virtual void Send(const std::string& text) = 0;
};

// The logger window as the auxiliary controller reaches it (queued to the window's thread).
class LoggerMarks {
  public:
    virtual ~LoggerMarks() = default;
    virtual void setin() = 0;
    virtual void setout() = 0;
};

}  // namespace vemo::deck
