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

// The action words the shared listener knows, in the order it compares them.
const std::vector<std::string_view>& dispatchOrder();

// Field name of a control ("bplay", "vsb", "cuefield" ...).
std::string_view controlName(deck::Control control);

}  // namespace vemo::ui
