// The main window's keys: each does what its button or the shuttle slider does.
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <utility>

#include "deck/local_vcr.h"
#include "ui/key_control.h"
#include "ui/local_gui.h"

namespace vemo::ui {
namespace {

// The keys that only press a button of the window.
const char* buttonOf(KeyAction action) {
    static constexpr std::pair<KeyAction, const char*> kButtons[] = {
        {KeyAction::JogReverse, "bjogr"}, {KeyAction::JogForward, "bjogf"},
        {KeyAction::SetIn, "bsetcue"},    {KeyAction::SetOut, "bsetreview"},
        {KeyAction::CueIn, "bcue"},       {KeyAction::CueOut, "bcueout"},
        {KeyAction::Review, "breview"}};
    for (const auto& [a, name] : kButtons) {
        if (a == action)
            return name;
    }
    return nullptr;
}

}  // namespace

void LocalGUI::keyAction(KeyAction action) {
    switch (action) {
        case KeyAction::ShuttleReverse:
        case KeyAction::ShuttleForward:
            shuttleKey(action == KeyAction::ShuttleForward);
            break;
        case KeyAction::ShuttleStop:
            shuttleStopKey();
            break;
        case KeyAction::PlayStop:
            pressButton(deckRunning() ? "bstop" : "bplay");
            break;
        case KeyAction::Help:
            showKeyHelp(this, false);
            break;
        case KeyAction::MarkNext:
        case KeyAction::Save:
        case KeyAction::Load:
            break;  // the logger's own
        default:
            if (const char* name = buttonOf(action))
                pressButton(name);
            break;
    }
}

bool LocalGUI::pressButton(const char* name) {
    // A deck type that does not show the control has no key for it either.
    if (placementOf(layout_, name) == nullptr)
        return false;
    QPushButton* button = buttons_.at(name);
    if (!button->isEnabled())
        return false;
    button->click();
    return true;
}

void LocalGUI::shuttleKey(bool forward) {
    if (placementOf(layout_, "vsb") == nullptr || !vsb_->isEnabled())
        return;
    const int speed = shuttle_.press(forward);
    still_ = false;
    showSlider(sliderValueFor(speed, forward));
    if (forward)
        svcr_.shutfwd(speed);
    else
        svcr_.shutrev(speed);
}

void LocalGUI::shuttleStopKey() {
    if (placementOf(layout_, "vsb") == nullptr || !vsb_->isEnabled())
        return;
    shuttle_.stop();
    still_ = true;
    showSlider(48);
    svcr_.pause();  // the slider's dead band: a still picture
}

void LocalGUI::showSlider(int value) {
    const QSignalBlocker quiet(vsb_);
    vsb_->setValue(value);
    vsbval_ = value;
}

bool LocalGUI::deckRunning() const {
    if (shuttle_.running())
        return true;
    return !still_ && svcr_.moving() != 0;
}

}  // namespace vemo::ui
