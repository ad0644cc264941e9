#include "ui/script_sequence.h"

#include "ui/gui_wait.h"

namespace vemo::ui {

void runScript(deck::LocalVCR& svcr, const std::filesystem::path& path) {
    SequenceScope sequence("Script", [&svcr] { svcr.abortSequence(); });
    remote::ScriptRunner(svcr, path).script(sequence.token());
    if (sequence.ending() == SequenceScope::Ending::OperatorStop)
        svcr.stop();
}

}  // namespace vemo::ui
