#include "deck/status_words.h"

#include <optional>

namespace vemo::deck {
namespace {
void add(StatusWords& out, const char* word, std::optional<Control> control = std::nullopt) {
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
        Control control;
        bool tapeOnly;
    };
    static constexpr Word kTransport[] = {
        {b::play, "Play ", Control::bplay, false},     {b::record, "Rec ", Control::brecord, false},
        {b::fastForward, "FF ", Control::bfwd, false}, {b::rewind, "REW ", Control::brew, false},
        {b::stop, "Stop ", Control::bstop, false},     {b::standby, "Stby ", Control::bsbyon, true},
        {b::shuttle, "Shuttle ", Control::vsb, true},
    };
    StatusWords out;
    if (!reviewing) {
        for (const Word& w : kTransport) {
            if (w.bit.in(s) && !(w.tapeOnly && lx1))
                add(out, w.word, w.control);
        }
        if (!lx1 && b::jog.in(s))
            add(out, "Jog ", b::jogReverse.in(s) ? Control::bjogr : Control::bjogf);
    }
    out.cueup = b::cueComplete.in(s);
    if (out.cueup)
        add(out, "CuedUp ");
    out.preroll = b::preroll.in(s);
    if (out.preroll)
        add(out, "PreCue ");
    return out;
}

}  // namespace vemo::deck
