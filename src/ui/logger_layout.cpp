#include "ui/logger_layout.h"

namespace vemo::ui::logger {
namespace {

std::string numbered(const char* stem, int r) {
    return stem + std::to_string(r);
}

std::vector<Placement> buildLayout() {
    std::vector<Placement> table = {
        {"LoadButton", X0, Y0, loadsavewidth, dy},
        {"ReviewButton", X2 - 40, Y0, loadsavewidth - 30, dy},
        {"RevAllButton", X3 + 10, Y0, loadsavewidth - 30, dy},
        {"SaveButton", X4, Y0, loadsavewidth, dy},
        // Below the grid, under Save: the top row has no room left.
        {"ExportButton", X4, rowTop(NumRows), loadsavewidth, dy},
    };
    for (int r = 0; r < NumRows; ++r) {
        const int y = rowTop(r);
        table.push_back({editName(r), X0, y, editnumwidth, dy});
        table.push_back({nameName(r), X1, y, clipnamewidth, dy});
        table.push_back({setinName(r), X2, y, buttonwidth, dy});
        table.push_back({inName(r), X3, y, timecodewidth, dy});
        table.push_back({setoutName(r), X4, y, buttonwidth, dy});
        table.push_back({outName(r), X5, y, timecodewidth, dy});
        table.push_back({cueName(r), X5 + timecodewidth + 5, y, cuewidth, dy});
    }
    table.push_back({"vsb", X6 + 12, 20, 20, GUIheight - 55});
    return table;
}

}  // namespace

std::string editName(int r) {
    return numbered("edit", r);
}
std::string nameName(int r) {
    return numbered("name", r);
}
std::string inName(int r) {
    return numbered("in", r);
}
std::string outName(int r) {
    return numbered("out", r);
}
std::string setinName(int r) {
    return numbered("setin", r);
}
std::string setoutName(int r) {
    return numbered("setout", r);
}
std::string cueName(int r) {
    return numbered("cue", r);
}

const std::vector<Placement>& loggerLayout() {
    static const std::vector<Placement> table = buildLayout();
    return table;
}

const Placement* loggerPlacement(const std::string& name) {
    for (const Placement& p : loggerLayout()) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}

}  // namespace vemo::ui::logger
