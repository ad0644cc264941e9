#pragma once

#include <string>
#include <vector>

namespace vemo::exporttool {

// What the command line asks for.
struct Options {
    std::string format;  // "" : from OUTPUT's extension
    std::string fps = "30";
    bool help = false;
    bool version = false;
    std::string input;   // a logger EDL, a capture folder or one capture sidecar (.json)
    std::string output;  // "-": standard output
};

// Reads the arguments after the program name; on failure error says why.
bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

extern const char* const UsageText;

}  // namespace vemo::exporttool
