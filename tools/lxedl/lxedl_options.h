#pragma once

#include <string>
#include <vector>

namespace vemo::lxedl {

// What the command line asks for; defaults as the EDL maker window opens.
struct Options {
    bool initialize = true;
    bool finalize = true;
    bool onetitle = false;
    bool autochapter = false;
    bool verbose = false;
    bool skipAudioOnly = false;
    bool skipZeroLength = false;
    bool reelChanges = false;
    std::string fps = "30";
    bool help = false;
    bool version = false;
    std::string input;
    std::string output;  // "-": standard output
};

// Reads the arguments after the program name; on failure error says why.
bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

extern const char* const UsageText;

}  // namespace vemo::lxedl
