#pragma once

#include <string_view>
#include <vector>

namespace vemo::ui {

// Fixed pixel bounds of one control of the main window, by the control's field name.
struct Placement {
    std::string_view name;
    int x;
    int y;
    int w;
    int h;
};

// Column width and row height of the main window's grid.
inline constexpr int kColumn = 60;
inline constexpr int kRow = 24;

// Every placed control of the main window, for a tape deck (lx1 false; RECON and LANC decks
// look the same) or the LX1 recorder. Controls missing from the table are not shown.
const std::vector<Placement>& layoutFor(bool lx1);

// The placement of a control by name, or nullptr when the layout does not place it.
const Placement* placementOf(const std::vector<Placement>& layout, std::string_view name);

// Window height: the status field's y + one row + 8.
int windowHeight(const std::vector<Placement>& layout);

}  // namespace vemo::ui
