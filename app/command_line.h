#pragma once

#include <optional>

namespace vemo::app {

// The console's own options (--help, --version, --list-ports): answered at once, before the
// log or the settings are touched. The exit code when one was given; nothing otherwise, and
// the arguments then go to the window toolkit as always.
std::optional<int> answerCommandLine(int argc, char** argv);

}  // namespace vemo::app
