#pragma once

#include "core/settings.h"

class QObject;

namespace vemo::ui {

class EDLViewer;
class LocalGUI;
class RecentFiles;

// Opens a new EDL maker window and shows it. Qt owns it: it is deleted when closed, or
// together with owner when that goes first (none: only when closed).
// recent: the console's recent files, shared with the window (none: its own folder only).
EDLViewer* openEdlMaker(const core::Settings& settings, QObject* owner = nullptr,
                        RecentFiles* recent = nullptr);

// Lets the main window's EDL maker button open a new EDL maker window on every press.
void attachEdlMaker(LocalGUI& gui);

}  // namespace vemo::ui
