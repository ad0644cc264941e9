#include "core/edl/logger_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/file_io.h"

namespace vemo::core::loggerio {

std::string describe(int err) {
    return std::error_code(err, std::generic_category()).message();
}

std::string openFailureLine(int err) {
    if (err == ENOENT || err == ENOTDIR)
        return "FileStreamError: " + describe(err);
    return ioFailureLine(err, 1);
}

std::string ioFailureLine(int err, int stage) {
    return "FileIOError: " + describe(err) + " " + std::to_string(stage);
}

WriteOutcome replaceFile(const std::string& path, std::string_view bytes) {
    WriteResult written = writeFileAtomically(path, bytes);
    const int err = written.error.value();
    switch (written.stage) {
        case WriteStage::None:
            return {true, {}};
        case WriteStage::Open:
        case WriteStage::Rename:
            return {false, openFailureLine(err)};
        case WriteStage::Write:
            return {false, ioFailureLine(err, 1)};
        case WriteStage::Close:
            return {false, ioFailureLine(err, 2)};
    }
    return {false, ioFailureLine(err, 1)};
}

}  // namespace vemo::core::loggerio
