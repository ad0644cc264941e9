#pragma once

namespace vemo::deck {
class LocalVCR;
}

namespace vemo::ui {

class LocalGUI;
class LoggerGUI;

// Opens a new logger window with a fresh clip table, shows it and hands it the auxiliary
// controller's marks. On closing it gives the marks up, re-enables the main window's
// logger button and is deleted.
LoggerGUI* openLogger(LocalGUI& gui, deck::LocalVCR& svcr);

// Lets the main window's logger button open a logger window (one at a time: the button
// stays disabled while it is open).
void attachLogger(LocalGUI& gui, deck::LocalVCR& svcr);

}  // namespace vemo::ui
