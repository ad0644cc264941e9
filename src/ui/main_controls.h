#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "deck/deck_display.h"

namespace vemo::ui {

// One button of the main window: field name, caption and the action word its press shows in
// the status line and dispatches on (empty for the logger button, which has no word).
struct ButtonDef {
    std::string_view name;
    std::string_view caption;
    std::string_view action;
};

// Every button of the main window, placed or not.
const std::vector<ButtonDef>& mainButtons();

// Field name of a control ("bplay", "vsb", "cuefield" ...).
std::string_view controlName(deck::Indicator control);

}  // namespace vemo::ui
