#include "ui/main_controls.h"

namespace vemo::ui {

const std::vector<ButtonDef>& mainButtons() {
    static const std::vector<ButtonDef> buttons = {
        {"bstop", "Stop *", "Stop"},
        {"bplay", "Play >", "Play"},
        {"bpause", "Pause ||", "Pause"},
        {"bfwd", "Fwd >>", "Forward"},
        {"brew", "<< Rew", "Rewind"},
        {"bslowhalf", "Slow/2", "Slow2"},
        {"bslowthird", "Slow/3", "Slow3"},
        {"bslowfifth", "Slow/5", "Slow5"},
        {"bfasttwo", "FastX2", "Fast2"},
        {"bfastfive", "FastX5", "Fast5"},
        {"bsbyon", "SbyON", "Sbyon"},
        {"bsbyoff", "SbyOFF", "Sbyoff"},
        {"bscript", "SCRIPT", "SCRIPT"},
        {"beeon", "EEOn", "EEOn"},
        {"beeoff", "EEOff", "EEOff"},
        {"bjogf", "Jog |>", "Jogf"},
        {"bjogr", "<| Jog", "Jogr"},
        {"bcue", "CueIn", "Cue"},
        {"bcueout", "CueOut", "CueOut"},
        {"bsetcue", "SetIn", "SetCue"},
        {"bsetreview", "SetOut", "SetRev"},
        {"bcueplay", "Cue/Play", "Cueplay"},
        {"breview", "Review", "Review"},
        {"brecord", "REC", "Record"},
        {"bedlmaker", "LX1 EDLMaker", "EDLMaker"},
        {"blogger", "Logger Window", ""},
        {"bconnect", "Let Client Connect", "Connect"},
    };
    return buttons;
}

std::string_view controlName(deck::Control control) {
    using deck::Control;
    switch (control) {
        case Control::bstop:
            return "bstop";
        case Control::bplay:
            return "bplay";
        case Control::bpause:
            return "bpause";
        case Control::bfwd:
            return "bfwd";
        case Control::brew:
            return "brew";
        case Control::bslowhalf:
            return "bslowhalf";
        case Control::bslowthird:
            return "bslowthird";
        case Control::bslowfifth:
            return "bslowfifth";
        case Control::bfasttwo:
            return "bfasttwo";
        case Control::bfastfive:
            return "bfastfive";
        case Control::bsbyon:
            return "bsbyon";
        case Control::bsbyoff:
            return "bsbyoff";
        case Control::bscript:
            return "bscript";
        case Control::beeon:
            return "beeon";
        case Control::beeoff:
            return "beeoff";
        case Control::bjogf:
            return "bjogf";
        case Control::bjogr:
            return "bjogr";
        case Control::bcue:
            return "bcue";
        case Control::bcueout:
            return "bcueout";
        case Control::bsetcue:
            return "bsetcue";
        case Control::bsetreview:
            return "bsetreview";
        case Control::bcueplay:
            return "bcueplay";
        case Control::breview:
            return "breview";
        case Control::brecord:
            return "brecord";
        case Control::bedlmaker:
            return "bedlmaker";
        case Control::blogger:
            return "blogger";
        case Control::bconnect:
            return "bconnect";
        case Control::vsb:
            return "vsb";
        case Control::cuefield:
            return "cuefield";
        case Control::endfield:
            return "endfield";
        case Control::tcfield:
            return "tcfield";
    }
    return "";
}

}  // namespace vemo::ui
