// The console's entry point: its own options, log redirection, then the start-up sequence.
#include "app/command_line.h"
#include "app/console_wiring.h"
#include "core/startup.h"

int main(int argc, char** argv) {
    if (auto code = vemo::app::answerCommandLine(argc, argv))
        return *code;
    // Any other argument only reaches the window toolkit.
    vemo::core::redirectLog();
    vemo::app::ConsoleWiring wiring(argc, argv);
    if (auto code = vemo::core::init(wiring))
        return *code;
    return wiring.run();
}
