#pragma once

#include <string>
#include <vector>

namespace vemo::ui::logger {

// Window size, grid and font of the logger window (pixels).
inline constexpr int GUIwidth = 470;
inline constexpr int GUIheight = 525;
inline constexpr int ScreenX = 350;
inline constexpr int ScreenY = 0;
inline constexpr int NumRows = 20;
inline constexpr int dy = GUIheight / NumRows - 5;      // 21: every field and button
inline constexpr int vspace = dy + 2;                   // 23: from one row top to the next
inline constexpr int fontheight = dy - 6;               // 15
inline constexpr int buttonwidth = dy - 2;              // 19: ">" and "<"
inline constexpr int editnumwidth = GUIwidth / 14 + 4;  // 37
inline constexpr int clipnamewidth = GUIwidth / 5;      // 94
inline constexpr int timecodewidth = GUIwidth / 5;      // 94
inline constexpr int loadsavewidth = GUIwidth / 5;      // 94
inline constexpr int cuewidth = 12;

// Columns from the top-left corner of the client area (it has no insets).
inline constexpr int Y0 = 5;
inline constexpr int X0 = 5;
inline constexpr int X1 = X0 + editnumwidth + 6;
inline constexpr int X2 = X1 + clipnamewidth + 15;
inline constexpr int X3 = X2 + buttonwidth + 2;
inline constexpr int X4 = X3 + timecodewidth + 15;
inline constexpr int X5 = X4 + buttonwidth + 2;
inline constexpr int X6 = X5 + timecodewidth + 15;

// The scroll bar picks the entry shown in row 0: values 0 to 80, 20 rows visible.
inline constexpr int vsbMaximum = 80;
inline constexpr int vsbPage = NumRows;

// Top of grid row r (0 to 19); row 0 lies directly below the buttons. Row 20 is the Export
// button's, below the grid.
constexpr int rowTop(int r) {
    return Y0 + (r + 1) * vspace;
}

// Fixed pixel bounds of one control by its object name.
struct Placement {
    std::string name;
    int x;
    int y;
    int w;
    int h;

    bool operator==(const Placement&) const = default;
};

// Object names of the controls of grid row r.
std::string editName(int r);
std::string nameName(int r);
std::string inName(int r);
std::string outName(int r);
std::string setinName(int r);
std::string setoutName(int r);
std::string cueName(int r);

// Every control of the window: the five buttons, the 20 rows in the order edit number,
// name, ">", in, "<", out, "*", then the scroll bar.
const std::vector<Placement>& loggerLayout();

// The placement of a control by name, or nullptr.
const Placement* loggerPlacement(const std::string& name);

}  // namespace vemo::ui::logger
