#pragma once

#include <optional>
#include <string>

#include "core/settings.h"

namespace vemo::core {

// What start-up needs of the higher layers: the deck command port and the deck controller.
class StartupWiring {
  public:
    virtual ~StartupWiring() = default;
    // Creates the command port on the name; false when it is missing or did not open.
    virtual bool MakeSerialPort(const std::string& name) = 0;
    // Says why the command port did not open, after the failure line and before the wait.
    virtual void explainPortFailure(const std::string& name) { (void)name; }
    // Sets the command port's reply wait.
    virtual void setwait(int milliseconds) = 0;
    // Creates the deck controller and everything that runs after start-up.
    virtual void createController(const Settings& settings) = 0;
};

// Makes "VemoLog.txt" (emptied) the process's standard output; false when it cannot.
bool redirectLog(const std::string& path = "VemoLog.txt");

// The start-up sequence: settings, deck port, title, echo, controller. Returns the exit code when
// the process must end (after the 5000 ms wait of a failure), nothing when the controller has been
// created.
std::optional<int> init(StartupWiring& wiring);

}  // namespace vemo::core
