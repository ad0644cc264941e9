#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/edl/logger_table.h"

namespace vemo::core {

// The logger's crash copy: after every change the window writes the entries that differ
// from a fresh table here, so a killed console loses at most the change being made. A clean
// save or an explicit discard removes it; the next logger window offers it back.
class LoggerRecovery {
  public:
    static constexpr const char* kFileName = "VemoRecovery.txt";
    static constexpr std::string_view kHeader = "VEMO LOGGER RECOVERY 1";

    explicit LoggerRecovery(std::filesystem::path path = kFileName) : path_(std::move(path)) {}

    const std::filesystem::path& path() const { return path_; }
    bool exists() const;
    // Replaces the file atomically with the table's changed entries.
    std::error_code save(const LoggerTable& table) const;
    void remove() const;

    struct Restored {
        LoggerTable table;
        int entries = 0;   // entries taken from the file
        int badLines = 0;  // lines that could not be read (skipped)
    };
    // The table kept in the file; nothing when there is no readable recovery file.
    std::optional<Restored> load() const;

    static std::string serialize(const LoggerTable& table);
    static std::optional<Restored> parse(std::string_view bytes);

  private:
    std::filesystem::path path_;
};

}  // namespace vemo::core
