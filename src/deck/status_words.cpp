#include "deck/status_words.h"

#include <optional>

namespace vemo::deck {
namespace {
void add(StatusWords& out, const char* word, std::optional<Indicator> control = std::nullopt) {
    out.words += word;
    if (control)
        out.highlights.push_back(*control);
}
}  // namespace

StatusWords decodeStatus(const std::uint8_t* s, bool lx1, bool reviewing) {
    namespace b = statusbits;
    // The transport words, in the order they are shown; the recorder has no standby.
    struct Word {
        StatusBit bit;
        const char* word;
        Indicator indicator;
        bool tapeOnly;
    };
    static constexpr Word kTransport[] = {
        {b::play, "Play ", Indicator::play, false},
        {b::record, "Rec ", Indicator::record, false},
        {b::fastForward, "FF ", Indicator::fastForward, false},
        {b::rewind, "REW ", Indicator::rewind, false},
        {b::stop, "Stop ", Indicator::stop, false},
        {b::standby, "Stby ", Indicator::standby, true},
        {b::shuttle, "Shuttle ", Indicator::shuttle, true},
    };
    StatusWords out;
    if (!reviewing) {
        for (const Word& w : kTransport) {
            if (w.bit.in(s) && !(w.tapeOnly && lx1))
                add(out, w.word, w.indicator);
        }
        if (!lx1 && b::jog.in(s))
            add(out, "Jog ", b::jogReverse.in(s) ? Indicator::jogReverse : Indicator::jogForward);
    }
    out.cueup = b::cueComplete.in(s);
    if (out.cueup)
        add(out, "CuedUp ");
    out.local = b::local.in(s);
    out.tapeOut = b::tapeOut.in(s);
    out.preroll = b::preroll.in(s);
    if (out.preroll)
        add(out, "PreCue ");
    return out;
}

}  // namespace vemo::deck
