#include "lxedl_options.h"

#include "common/command_line.h"

namespace vemo::lxedl {

const char* const UsageText =
    "usage: vemo-lxedl [--no-ini] [--no-fnl] [--all-ps] [--autoch] [--verbose] INPUT OUTPUT\n"
    "Converts a standard EDL (INPUT) into an LX-1 recorder edit list (OUTPUT, or standard\n"
    "output with -), as the EDL maker's Load Source EDL and Save LX-1 EDL do.\n"
    "  --no-ini   no disc-initialize (INI) command first\n"
    "  --no-fnl   no disc-finalize (FNL) command last\n"
    "  --all-ps   record all events as one title, pausing between them\n"
    "  --autoch   one recording with a chapter mark for each event\n"
    "  --verbose  print each source line read on standard error\n"
    "  --help     print this text\n"
    "  --version  print the version\n";

bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    enum Flag { noIni = 256, noFnl, allPs, autoch, verbose, version };
    static const option longOptions[] = {
        {"no-ini", no_argument, nullptr, noIni},    {"no-fnl", no_argument, nullptr, noFnl},
        {"all-ps", no_argument, nullptr, allPs},    {"autoch", no_argument, nullptr, autoch},
        {"verbose", no_argument, nullptr, verbose}, {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, version}, {nullptr, 0, nullptr, 0}};
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
    std::vector<std::string> files = argv.operands();
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
