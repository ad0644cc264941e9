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

std::string_view controlName(deck::Indicator control) {
    using deck::Indicator;
    switch (control) {
        case Indicator::stop:
            return "bstop";
        case Indicator::play:
            return "bplay";
        case Indicator::fastForward:
            return "bfwd";
        case Indicator::rewind:
            return "brew";
        case Indicator::standby:
            return "bsbyon";
        case Indicator::jogForward:
            return "bjogf";
        case Indicator::jogReverse:
            return "bjogr";
        case Indicator::record:
            return "brecord";
        case Indicator::shuttle:
            return "vsb";
    }
    return {};
}

}  // namespace vemo::ui
