#pragma once

#include <memory>
#include <string>

#include "core/startup.h"

namespace vemo::app {

// Connects start-up to the real command port, deck controller and windows.
class ConsoleWiring : public core::StartupWiring {
  public:
    ConsoleWiring(int& argc, char** argv);
    ~ConsoleWiring() override;

    bool MakeSerialPort(const std::string& name) override;
    void explainPortFailure(const std::string& name) override;
    void setwait(int milliseconds) override;
    void createController(const core::Settings& settings) override;

    // Runs the window event loop until the main window closes; returns the exit code.
    int run();

    struct Parts;

  private:
    int& argc_;
    char** argv_;
    std::unique_ptr<Parts> parts_;
};

}  // namespace vemo::app
