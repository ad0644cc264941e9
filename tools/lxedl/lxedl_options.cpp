#include "lxedl_options.h"

namespace vemo::lxedl {

const char* const UsageText =
    "usage: vemo-lxedl [--no-ini] [--no-fnl] [--all-ps] [--autoch] [--verbose]\n"
    "                  [--skip-audio-only] [--skip-zero-length] [--reel-changes] [--fps=RATE]\n"
    "                  INPUT OUTPUT\n"
    "Converts a standard EDL (INPUT) into an LX-1 recorder edit list (OUTPUT, or standard\n"
    "output with -), as the EDL maker's Load Source EDL and Save LX-1 EDL do.\n"
    "  --no-ini   no disc-initialize (INI) command first\n"
    "  --no-fnl   no disc-finalize (FNL) command last\n"
    "  --all-ps   record all events as one title, pausing between them\n"
    "  --autoch   one recording with a chapter mark for each event\n"
    "  --verbose  print each source line read on standard error\n"
    "  --skip-audio-only   leave out events with no video track\n"
    "  --skip-zero-length  leave out events whose source out equals the source in\n"
    "  --reel-changes      a WAI (new tape) wherever the source reel changes\n"
    "  --fps=RATE          30 (default), 25 or 29.97DF: the rate source times are checked at\n"
    "  --help     print this text\n";

bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const auto& arg : args) {
        if (optionsEnded || arg == "-" || arg.rfind("-", 0) != 0) {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--no-ini") {
            options.initialize = false;
        } else if (arg == "--no-fnl") {
            options.finalize = false;
        } else if (arg == "--all-ps") {
            options.onetitle = true;
        } else if (arg == "--autoch") {
            options.autochapter = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--skip-audio-only") {
            options.skipAudioOnly = true;
        } else if (arg == "--skip-zero-length") {
            options.skipZeroLength = true;
        } else if (arg == "--reel-changes") {
            options.reelChanges = true;
        } else if (arg.rfind("--fps=", 0) == 0) {
            options.fps = arg.substr(6);
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (options.help)
        return true;
    if (files.size() != 2) {
        error = files.size() < 2 ? "INPUT and OUTPUT are needed" : "too many arguments";
        return false;
    }
    if (files[0].empty() || files[1].empty()) {
        error = "an empty file name";
        return false;
    }
    options.input = files[0];
    options.output = files[1];
    return true;
}

}  // namespace vemo::lxedl
