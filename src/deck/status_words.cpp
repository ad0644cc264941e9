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
    StatusWords out;
    const std::uint8_t s3 = s[3];
    const std::uint8_t s4 = s[4];
    if (!reviewing) {
        if (s3 & 0x01)
            add(out, "Play ", Control::bplay);
        if (s3 & 0x02)
            add(out, "Rec ", Control::brecord);
        if (s3 & 0x04)
            add(out, "FF ", Control::bfwd);
        if (s3 & 0x08)
            add(out, "REW ", Control::brew);
        if (s3 & 0x20)
            add(out, "Stop ", Control::bstop);
        if (!lx1) {
            if (s3 & 0x80)
                add(out, "Stby ", Control::bsbyon);
            if (s4 & 0x20)
                add(out, "Shuttle ", Control::vsb);
            if (s4 & 0x10)
                add(out, "Jog ", (s4 & 0x04) ? Control::bjogr : Control::bjogf);
        }
    }
    out.cueup = (s4 & 0x01) != 0;
    if (out.cueup)
        add(out, "CuedUp ");
    out.preroll = (s[6] & 0x01) != 0;
    if (out.preroll)
        add(out, "PreCue ");
    return out;
}

}  // namespace vemo::deck
