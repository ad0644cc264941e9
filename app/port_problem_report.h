#pragma once

#include <string>
#include <vector>

class QApplication;

namespace vemo::app {

// Whether a screen is configured at all (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM): the
// window toolkit ends the process when it finds none.
bool displayAvailable();

// Tells the operator why a serial port did not open: each line into the log and on standard
// error, and, on a screen someone can see, in a dialog that waits for OK. A temporary window
// system connection is made from argc/argv when the application has none yet.
void reportPortProblem(const std::string& caption, const std::vector<std::string>& lines, int& argc,
                       char** argv);

}  // namespace vemo::app
