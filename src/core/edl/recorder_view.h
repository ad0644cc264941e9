#pragma once

#include <string>

#include "core/utils.h"

namespace vemo::core {

// Where the recorder list converter shows its texts, waits and logs. The EDL maker window
// shows the texts in its two areas and waits with its repainting wait; the command-line
// converter shows nothing. This base shows nothing, sleeps and logs with OutLine.
class RecorderView {
  public:
    virtual ~RecorderView() = default;
    // The source area's whole text (the source list or a message).
    virtual void showSource(const std::string& text) { (void)text; }
    // The output area's whole text; the view selects its last character so the end is seen.
    virtual void showOutput(const std::string& text) { (void)text; }
    virtual void setTitle(const std::string& text) { (void)text; }
    // Holds the operator's attention on a message.
    virtual void wait(int milliseconds) { Utils::DelayT(milliseconds); }
    virtual void log(const std::string& line) { OutLine(line); }
    // A file operation failed and the operator must act: the window shows it in a dialog.
    virtual void showFailure(const std::string& text) { (void)text; }
};

}  // namespace vemo::core
