#pragma once

#include <string>
#include <vector>

namespace vemo::deck {

// The controls of the main window that the deck's status lights up.
enum class Control { bstop, bplay, bfwd, brew, bsbyon, bjogf, bjogr, brecord, vsb };

// The display operations deck control uses on the main window. Every operation may be
// called from any thread and returns at once; the window queues the work to its own thread.
class DeckDisplay {
  public:
    virtual ~DeckDisplay() = default;
    virtual void ShowTC(const std::string& text) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    // A failure the operator must act on; a window may hold it longer and mark it as one.
    virtual void ShowError(const std::string& text) { ShowStatus(text); }
    virtual void clearbuttons() = 0;
    virtual void hilight(Control control) = 0;
    // The highlights of one status read: the transport rows cleared, then these lit.
    virtual void showHighlights(const std::vector<Control>& controls) {
        clearbuttons();
        for (Control c : controls)
            hilight(c);
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
