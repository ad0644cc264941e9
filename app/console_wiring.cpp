#include "app/console_wiring.h"

#include "core/utils.h"

namespace vemo::app {

struct ConsoleWiring::Parts {};

ConsoleWiring::ConsoleWiring(int& argc, char** argv)
    : argc_(argc), argv_(argv), parts_(std::make_unique<Parts>()) {}

ConsoleWiring::~ConsoleWiring() = default;

bool ConsoleWiring::MakeSerialPort(const std::string& name) {
    // The command port is not built yet: report it as a port that does not open.
    core::Utils::OutLine(" ");
    core::Utils::OutLine("Serial Port " + name + " not available");
    return false;
}

void ConsoleWiring::setwait(int /*milliseconds*/) {}

void ConsoleWiring::createController() {}

int ConsoleWiring::run() { return 0; }

}  // namespace vemo::app
