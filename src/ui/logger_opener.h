#pragma once

#include <filesystem>
#include <functional>

#include "core/edl/logger_recovery.h"
#include "core/edl/logger_table.h"

namespace vemo::deck {
class LocalVCR;
}

namespace vemo::ui {

class LocalGUI;
class LoggerGUI;

// Opens a new logger window with a fresh clip table, shows it, offers the clips of a
// recovery file when there is one, and hands it the auxiliary controller's marks. On
// closing it gives the marks up, re-enables the main window's logger button and is deleted.
// The open logger's clip table after every change (window thread), null once it closes.
using LoggerTableWatch = std::function<void(const core::LoggerTable*)>;

LoggerGUI* openLogger(LocalGUI& gui, deck::LocalVCR& svcr,
                      const std::filesystem::path& recoveryPath = core::LoggerRecovery::kFileName,
                      LoggerTableWatch watch = {});

// Lets the main window's logger button open a logger window (one at a time: the button
// stays disabled while it is open), and makes the main window ask about the logger's
// unsaved clips before it closes.
void attachLogger(LocalGUI& gui, deck::LocalVCR& svcr,
                  std::filesystem::path recoveryPath = core::LoggerRecovery::kFileName,
                  LoggerTableWatch watch = {});

}  // namespace vemo::ui
