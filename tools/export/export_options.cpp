#include "export_options.h"

#include "common/command_line.h"

namespace vemo::exporttool {

const char* const UsageText =
    "usage: vemo-export [--format ale|otio|csv] [--fps RATE] LIST OUTPUT\n"
    "Exports a logged clip list (LIST: an EDL as the logger saves and loads it) or a batch\n"
    "capture (LIST: the capture folder, or one of its .json sidecars) as ALE for Avid bins,\n"
    "OpenTimelineIO for editing systems that import timelines, or CSV for spreadsheets.\n"
    "OUTPUT is the file to write, or - for standard output.\n"
    "Clips with a name and a valid in before their out are exported in list order; every\n"
    "entry left out is named on standard error.\n"
    "  --format FORMAT  ale, otio or csv (default: from OUTPUT's extension .ale, .otio, .csv)\n"
    "  --fps RATE       30 (default), 25 or 29.97DF: the rate the time codes count at\n"
    "  --help           print this text\n"
    "  --version        print the version\n"
    "Exit codes: 0 done, 1 a file problem, 2 bad options, 3 exported but entries were left\n"
    "out.\n";

bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    enum Flag { format = 256, fps, version };
    static const option longOptions[] = {{"format", required_argument, nullptr, format},
                                         {"fps", required_argument, nullptr, fps},
                                         {"help", no_argument, nullptr, 'h'},
                                         {"version", no_argument, nullptr, version},
                                         {nullptr, 0, nullptr, 0}};
    tools::ArgVector argv("vemo-export", args);
    for (int c; (c = getopt_long(argv.argc(), argv.argv(), ":h", longOptions, nullptr)) != -1;) {
        switch (c) {
            case format:
                options.format = ::optarg;
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
    return argv.twoFiles(options.input, options.output, "LIST and OUTPUT", error);
}

}  // namespace vemo::exporttool
