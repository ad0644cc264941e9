#include "ui/key_map.h"

namespace vemo::ui {

const std::vector<KeyBinding>& keyBindings() {
    using A = KeyAction;
    using S = KeyScope;
    static const std::vector<KeyBinding> bindings = {
        {A::ShuttleReverse, {'J'}, "J", "shuttle reverse; again: faster", S::Both, "vsb", ""},
        {A::ShuttleStop, {'K'}, "K", "shuttle stop (still picture)", S::Both, "vsb", ""},
        {A::ShuttleForward, {'L'}, "L", "shuttle forward; again: faster", S::Both, "vsb", ""},
        {A::PlayStop, {kKeySpace}, "Space", "play / stop", S::Both, "bplay", ""},
        {A::JogReverse, {kKeyLeft}, "Left", "jog one step back", S::Both, "bjogr", ""},
        {A::JogForward, {kKeyRight}, "Right", "jog one step on", S::Both, "bjogf", ""},
        {A::SetIn, {'I'}, "I", "set in from the deck's time code", S::Both, "bsetcue", ""},
        {A::SetOut, {'O'}, "O", "set out from the deck's time code", S::Both, "bsetreview", ""},
        {A::CueIn, {'I', true}, "Shift+I", "cue to the in point", S::Both, "bcue", ""},
        {A::CueOut, {'O', true}, "Shift+O", "cue to the out point", S::Both, "bcueout", ""},
        {A::Review,
         {'R'},
         "R",
         "review the clip (logger: the clip in the first row)",
         S::Both,
         "breview",
         "ReviewButton"},
        {A::MarkNext,
         {'M'},
         "M",
         "mark the next in, then out, down the grid",
         S::Logger,
         "",
         "setin*"},
        {A::Save, {'S', false, true}, "Ctrl+S", "save the list", S::Logger, "", "SaveButton"},
        {A::Load, {'O', false, true}, "Ctrl+O", "load a list", S::Logger, "", "LoadButton"},
        {A::Help, {kKeyF1}, "F1", "this list of keys", S::Both, "", ""},
    };
    return bindings;
}

std::optional<KeyAction> keyActionFor(const KeyStroke& stroke, bool inLogger) {
    for (const KeyBinding& b : keyBindings()) {
        if (b.stroke == stroke && (inLogger || b.scope == KeyScope::Both))
            return b.action;
    }
    return std::nullopt;
}

std::string keyHintFor(std::string_view control, bool inLogger) {
    std::string hint;
    for (const KeyBinding& b : keyBindings()) {
        if ((inLogger ? b.loggerControl : b.mainControl) != control || control.empty())
            continue;
        if (!hint.empty())
            hint += '\n';
        hint.append(b.keyText).append(": ").append(b.what);
    }
    return hint;
}

int ShuttleStepper::press(bool forward) {
    const Direction wanted = forward ? Direction::Forward : Direction::Reverse;
    if (direction_ == wanted) {
        if (step_ + 1 < kSteps)
            ++step_;
    } else {
        direction_ = wanted;
        step_ = 0;
    }
    return kSpeeds[step_];
}

int sliderValueFor(int speed, bool forward) {
    // The slider shuttles at (v - 48) * 2 forward and (48 - v) * 2 in reverse.
    return forward ? 48 + speed / 2 : 48 - speed / 2;
}

}  // namespace vemo::ui
