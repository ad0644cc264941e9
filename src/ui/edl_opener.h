#pragma once

#include "core/settings.h"

class QObject;

namespace vemo::ui {

class EDLViewer;
class LocalGUI;

// Opens a new EDL maker window and shows it. Qt owns it: it is deleted when closed, or
// together with owner when that goes first (none: only when closed).
EDLViewer* openEdlMaker(const core::Settings& settings, QObject* owner = nullptr);

// Lets the main window's EDL maker button open a new EDL maker window on every press.
void attachEdlMaker(LocalGUI& gui);

}  // namespace vemo::ui
