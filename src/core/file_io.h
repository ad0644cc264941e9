#pragma once

#include <string>
#include <system_error>

namespace vemo::core {

// Reads a whole file into bytes; the error says why it could not (errno taken at once).
std::error_code readWholeFile(const std::string& path, std::string& bytes);

// Writes bytes to a temporary file beside the target and renames it over the target, so a
// failed save never destroys a good file.
std::error_code writeFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace vemo::core
