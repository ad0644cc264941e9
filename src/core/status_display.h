#pragma once

#include <string>

namespace vemo::core {

// Where status texts for the operator go (the deck controller's ShowStat). Lower layers
// reach the main window's status line through this without knowing the controller.
class StatusDisplay {
  public:
    virtual ~StatusDisplay() = default;
    virtual void ShowStat(const std::string& text) = 0;
};

}  // namespace vemo::core
