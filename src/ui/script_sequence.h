#pragma once

#include <filesystem>

#include "remote/script_runner.h"

namespace vemo::ui {

// The "SCRIPT" button's run: the script as a sequence that the operator's Stop (Stop button
// or Esc) or a quit request ends before its next line. After the operator's Stop the deck
// gets its stop.
void runScript(deck::LocalVCR& svcr,
               const std::filesystem::path& path = remote::ScriptRunner::kScriptFile);

}  // namespace vemo::ui
