#include "lxedl_options.h"

#include "common/command_line.h"

namespace vemo::lxedl {

const char* const UsageText =
    "usage: vemo-lxedl [--no-ini] [--no-fnl] [--all-ps] [--autoch] [--verbose]\n"
    "                  [--skip-audio-only] [--skip-zero-length] [--reel-changes] [--fps=RATE]\n"
    "                  INPUT OUTPUT\n"
    "Converts a standard EDL (INPUT) into an LX-1 recorder edit list (OUTPUT, or standard\n"
    "output with -), as the EDL maker's Load Source EDL and Save LX-1 EDL do.\n"
    "  --no-ini            no disc-initialize (INI) command first\n"
    "  --no-fnl            no disc-finalize (FNL) command last\n"
    "  --all-ps            record all events as one title, pausing between them\n"
    "  --autoch            one recording with a chapter mark for each event\n"
    "  --verbose           print each source line read on standard error\n"
    "  --skip-audio-only   leave out events with no video track\n"
    "  --skip-zero-length  leave out events whose source out equals the source in\n"
    "  --reel-changes      a WAI (new tape) wherever the source reel changes\n"
    "  --fps=RATE          30 (default), 25 or 29.97DF: the rate source times are checked at\n"
    "  --help              print this text\n"
    "  --version           print the version\n"
    "Exit codes: 0 done, 1 a file problem, 2 bad options, 3 converted but source events were\n"
    "left out (each is named on standard error).\n";

bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    enum Flag {
        noIni = 256,
        noFnl,
        allPs,
        autoch,
        verbose,
        skipAudioOnly,
        skipZeroLength,
        reelChanges,
        fps,
        version
    };
    static const option longOptions[] = {{"no-ini", no_argument, nullptr, noIni},
                                         {"no-fnl", no_argument, nullptr, noFnl},
                                         {"all-ps", no_argument, nullptr, allPs},
                                         {"autoch", no_argument, nullptr, autoch},
                                         {"verbose", no_argument, nullptr, verbose},
                                         {"skip-audio-only", no_argument, nullptr, skipAudioOnly},
                                         {"skip-zero-length", no_argument, nullptr, skipZeroLength},
                                         {"reel-changes", no_argument, nullptr, reelChanges},
                                         {"fps", required_argument, nullptr, fps},
                                         {"help", no_argument, nullptr, 'h'},
                                         {"version", no_argument, nullptr, version},
                                         {nullptr, 0, nullptr, 0}};
    tools::ArgVector argv("vemo-lxedl", args);
    for (int c; (c = getopt_long(argv.argc(), argv.argv(), ":h", longOptions, nullptr)) != -1;) {
        switch (c) {
            case noIni:
                options.initialize = false;
                break;
            case noFnl:
                options.finalize = false;
                break;
            case allPs:
                options.onetitle = true;
                break;
            case autoch:
                options.autochapter = true;
                break;
            case verbose:
                options.verbose = true;
                break;
            case skipAudioOnly:
                options.skipAudioOnly = true;
                break;
            case skipZeroLength:
                options.skipZeroLength = true;
                break;
            case reelChanges:
                options.reelChanges = true;
                break;
            case fps:
                options.fps = ::optarg;
                break;
            case 'h':
                options.help = true;
                break;
            case version:
                options.version = true;
                break;
            default:
                error = argv.mistake(c);
                return false;
        }
    }
    if (options.help || options.version)
        return true;
    return argv.twoFiles(options.input, options.output, "INPUT and OUTPUT", error);
}

}  // namespace vemo::lxedl
