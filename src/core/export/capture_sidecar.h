#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/export/export_list.h"

// What a batch capture leaves beside each captured file: "{file}.json", one flat JSON object
// (clip, reel, requested_start, requested_end, started_at, stopped_at, breaks, wall_start,
// wall_end, exit_status, file_size, outcome).
namespace vemo::core::exporter {

struct CaptureSidecar {
    std::string file;  // the captured file: the sidecar's path without ".json"
    std::string clip;
    std::string reel;
    std::string requestedStart;
    std::string requestedEnd;
    std::string startedAt;  // "" when the capture never started
    std::string stoppedAt;
    std::string wallStart;
    std::string outcome;
};

// Sidecars larger than this are not read.
inline constexpr std::size_t MaxSidecarBytes = 1 << 20;

// The sidecar's fields from its text: a single flat object (no nested object or list), text
// keys given as strings; unknown keys are passed over. Nothing, with error set, otherwise.
std::optional<CaptureSidecar> parseSidecar(std::string_view bytes, std::string& error);
// Reads one sidecar file (a regular file of at most MaxSidecarBytes).
std::optional<CaptureSidecar> readSidecar(const std::filesystem::path& path, std::string& error);

// The clips of every "*.json" sidecar in a capture folder, or of one sidecar file, in the
// order they were captured (wall_start, then file name). A clip with a name and a valid
// requested start before its end is exported, with its capture results; every other sidecar
// is named in leftOut. False, with error set, when the folder cannot be read.
bool listFromCaptures(const std::filesystem::path& folderOrSidecar, FrameRate rate,
                      ExportList& list, std::string& error);

}  // namespace vemo::core::exporter
