#pragma once

#include <string>

namespace vemo::core {

enum class PropsResult { ok, missing, problem };

// Reads "VemoSettings.txt" (Ravlin::propsfilename) from the working directory into the
// globals. Prints "No Settings File found!" when it is missing (the caller ends the
// process) and "Settings File Problem" when it cannot be read (start-up goes on).
PropsResult GetProps();

// Applies an already loaded table to the globals, in the order the keys are read.
void applyProps();

// Writes the settings echo into the log.
void showprops();

}  // namespace vemo::core
