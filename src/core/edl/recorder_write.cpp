#include "core/edl/recorder_edl.h"
#include "core/file_io.h"

namespace vemo::core {

// The list always ends with a recording that stops: a trailing WAI (or other short
// command) goes, a pausing last recording is rewritten as a stopping one. With AutoCH the
// one recording already stops; its last command is a chapter mark and stays one.
void RecorderEDL::finishFixups() {
    if (wait)
        removeoutputline();
    if (lxline >= 3) {
        const std::string* last = entry(lxline - 1);
        if (last != nullptr && last->size() < 7)
            removeoutputline();
        if (titlemodestring == Pause && !autochapter)
            changepausetostop();
    }
}

bool RecorderEDL::saveedl(const std::string& directory, const std::string& name) {
    finishFixups();
    sameAsSource = false;
    if (name.empty())
        return false;
    const std::string path = recorderPath(directory, name);
    // The recorder list never replaces the EDL it was made from.
    sameAsSource = isSourceFile(path);
    ioerror = sameAsSource ? std::make_error_code(std::errc::file_exists)
                           : writeFileAtomically(path, edltext(true)).error;
    if (!ioerror)
        return true;
    // The old file, if any, is untouched; the operator must know the list was not saved.
    const std::string message = std::string(WriteLogText) + " " + path + ": " +
                                (sameAsSource ? std::string(SameFileText) : ioerror.message());
    view_->log(message);
    view_->showSource(message);
    view_->wait(MessageWait);
    showrawedl();
    view_->showFailure(message);
    return false;
}

}  // namespace vemo::core
