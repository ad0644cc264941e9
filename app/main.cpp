// The console's entry point: log redirection, then the start-up sequence.
#include "app/console_wiring.h"
#include "core/startup.h"

int main(int argc, char** argv) {
    // Command-line arguments are not used by the console; they only reach the toolkit.
    vemo::core::redirectLog();
    vemo::app::ConsoleWiring wiring(argc, argv);
    if (auto code = vemo::core::init(wiring))
        return *code;
    return wiring.run();
}
