#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace vemo::core {

// Reads a whole file into bytes; the error says why it could not (errno taken at once).
std::error_code readWholeFile(const std::string& path, std::string& bytes);

// Where a whole-file replacement failed.
enum class WriteStage { None, Open, Write, Close, Rename };

struct WriteResult {
    std::error_code error;
    WriteStage stage = WriteStage::None;
    explicit operator bool() const { return static_cast<bool>(error); }  // true on failure
};

// Replaces a file with bytes as one step: they go to a temporary file beside the target,
// which is synced and renamed over it, so a failed save never destroys a good file.
// - An existing target keeps its permissions; a new one gets 0666 less the umask.
// - A symbolic link stays: the file it points to is replaced.
// - A read-only file, a FIFO, a device or a folder is refused and left as it is.
// - Temporary files that an earlier, killed save of the same target left behind go.
WriteResult writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace vemo::core
