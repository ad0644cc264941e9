#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "deck/deck_display.h"

namespace vemo::deck {

// What one status reply says: the words shown in the status line, the controls to
// highlight, and the cue-complete and pre-cue bits.
struct StatusWords {
    std::string words;
    std::vector<Control> highlights;
    bool cueup = false;
    bool preroll = false;
};

// Decodes the status bytes s[3], s[4] and s[6] of a status reply (s holds at least 7 bytes).
// While a review runs only "CuedUp " and "PreCue " are reported; the LX1 recorder has no
// standby, shuttle or jog, so those bits are not reported for it.
StatusWords decodeStatus(const std::uint8_t* s, bool lx1, bool reviewing);

}  // namespace vemo::deck
