#pragma once

#include <array>
#include <string_view>

namespace vemo::ui {

// One button of the EDL maker: object name, caption and the action command it sends.
struct EdlButtonDef {
    std::string_view name;
    std::string_view label;
    std::string_view command;
};

// Row 1 (under the source area) then row 2 (under the output area), left to right.
inline constexpr int kEdlRowLength = 5;
inline constexpr std::array<EdlButtonDef, 10> kEdlButtons{{
    {"bload", "Load Source EDL", "load"},
    {"bauto", "Auto Process EDL", "auto"},
    {"bnext", "Process Line", "next"},
    {"bback", "Step Back", "back"},
    {"bsave", "Save LX-1 EDL", "save"},
    {"bstop", "ST", "stop"},
    {"bpause", "PS", "pause"},
    {"bchap", "CH", "chap"},
    {"bwait", "New Tape", "wait"},
    {"bdel", "Delete", "del"},
}};

// The option boxes, top to bottom: object name and caption.
struct EdlOptionDef {
    std::string_view name;
    std::string_view label;
};
inline constexpr std::array<EdlOptionDef, 4> kEdlOptions{{
    {"useini", "Use INI"},
    {"usefnl", "Use FNL"},
    {"recmode", "All PS"},
    {"autoch", "AutoCH"},
}};

}  // namespace vemo::ui
