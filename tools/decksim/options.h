#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "deck_model.h"
#include "timecode.h"

namespace vemo::decksim {

struct Options {
    std::string link;
    DeckType type = DeckType::tape;
    long startFrames = 0;
    std::string start;  // --start as given; read at the rate once all options are known
    Rate rate;
    double replyDelayMs = 1.0;
    bool pace = false;
    double dropFraction = 0.0;
    double nakFraction = 0.0;
    double garbageFraction = 0.0;
    double corruptFraction = 0.0;
    double badDigitsFraction = 0.0;
    bool noCueComplete = false;
    std::uint32_t seed = 1;
    std::string logFile;
    bool verbose = false;
    bool help = false;
    bool version = false;
};

// Parses the command line (argv[0] excluded). On a bad option the error text is set and
// nothing is returned.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);
const char* usageText();

}  // namespace vemo::decksim
