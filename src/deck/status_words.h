#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "deck/deck_display.h"

namespace vemo::deck {

// One bit of a status reply: which data byte, which mask.
struct StatusBit {
    std::size_t byte;
    std::uint8_t mask;
    bool in(const std::uint8_t* s) const { return (s[byte] & mask) != 0; }
};

// The bits the console reads.
namespace statusbits {
inline constexpr StatusBit local{2, 0x01};    // the deck's own panel holds it (remote off)
inline constexpr StatusBit tapeOut{2, 0x20};  // no tape (no disc) in the deck
inline constexpr StatusBit play{3, 0x01};
inline constexpr StatusBit record{3, 0x02};
inline constexpr StatusBit fastForward{3, 0x04};
inline constexpr StatusBit rewind{3, 0x08};
inline constexpr StatusBit stop{3, 0x20};
inline constexpr StatusBit standby{3, 0x80};
inline constexpr StatusBit cueComplete{4, 0x01};
inline constexpr StatusBit jogReverse{4, 0x04};
inline constexpr StatusBit jog{4, 0x10};
inline constexpr StatusBit shuttle{4, 0x20};
inline constexpr StatusBit preroll{6, 0x01};
}  // namespace statusbits

// What one status reply says: the words shown in the status line, the controls to
// highlight, and the cue-complete and pre-cue bits.
struct StatusWords {
    std::string words;
    std::vector<Indicator> highlights;
    bool cueup = false;
    bool preroll = false;
    // The deck's own reports, not shown as words: switched to LOCAL, no tape in it.
    bool local = false;
    bool tapeOut = false;
};

// Decodes the status bytes s[2], s[3], s[4] and s[6] of a status reply (s holds at least 7
// bytes).
// While a review runs only "CuedUp " and "PreCue " are reported; the LX1 recorder has no
// standby, shuttle or jog, so those bits are not reported for it.
StatusWords decodeStatus(const std::uint8_t* s, bool lx1, bool reviewing);

}  // namespace vemo::deck
