#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vemo::core {

// The logger's list of clips: four parallel arrays, entry i is event i + 1. No lock of its
// own: the logger window serialises every access on its thread.
class LoggerTable {
  public:
    static constexpr int NumEntries = 100;
    // The initial time of every entry; a source out equal to it ends the list.
    static constexpr std::string_view TCString = "00:00:00:00";

    using Column = std::array<std::string, NumEntries>;

    // Filled with the initial contents at once.
    LoggerTable();

    // "001" ... "100", "Name01" ... "Name99" and "Name00", every time "00:00:00:00".
    void fill();

    // True for an index inside the table.
    static bool valid(int i) { return i >= 0 && i < NumEntries; }

    Column EdNumArray;
    Column ClipNameArray;
    Column SrcInArray;
    Column SrcOutArray;
};

}  // namespace vemo::core
