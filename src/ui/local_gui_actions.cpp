// What the main window's buttons, fields and slider do.
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "core/utils.h"
#include "deck/commands.h"
#include "deck/local_vcr.h"
#include "ui/local_gui.h"
#include "ui/main_controls.h"

namespace vemo::ui {

void LocalGUI::connectControls() {
    for (const ButtonDef& entry : mainButtons()) {
        QPushButton* button = buttons_.at(std::string(entry.name));
        if (entry.name == "blogger") {
            connect(button, &QPushButton::clicked, this, [this] { openLogger(); });
        } else if (entry.name == "bedlmaker") {
            // The shared listener only shows its word; its own listener opens the window.
            connect(button, &QPushButton::clicked, this, [this] {
                actionPerformed("EDLMaker");
                if (onOpenEdlMaker)
                    onOpenEdlMaker();
            });
        } else {
            std::string word(entry.action);
            connect(button, &QPushButton::clicked, this, [this, word] { actionPerformed(word); });
        }
    }
    connect(vsb_, &QScrollBar::valueChanged, this, [this](int v) { slider(v); });
    connect(cuefield_, &QLineEdit::returnPressed, this, [this] { cueFieldEntered(); });
    // Typed in and out points go into the shared store at once; Enter in the out field
    // does nothing, the typed point is taken by the next cue or review.
    connect(cuefield_, &QLineEdit::textEdited, this,
            [this](const QString& text) { svcr_.fields().setCue(text.toStdString()); });
    connect(endfield_, &QLineEdit::textEdited, this,
            [this](const QString& text) { svcr_.fields().setEnd(text.toStdString()); });
}

void LocalGUI::actionPerformed(const std::string& word) {
    ShowStatus(word);
    // Any button ends what J and L were doing; the next one starts from the first speed.
    shuttle_.stop();
    still_ = word == "Pause";
    // Plain deck operations come from the one command table; the rest are the window's own.
    if (auto operation = deck::byButtonWord(word)) {
        deck::perform(svcr_, *operation);
    } else if (word == "SCRIPT") {
        if (onScript)
            onScript();
    } else if (word == "EEOff") {
        eeOffSequence();
    } else if (word == "Jogf") {
        jogAndStop(true);
    } else if (word == "Jogr") {
        jogAndStop(false);
    } else if (word == "SetCue") {
        setcue();
    } else if (word == "SetRev") {
        setreview();
    } else if (word == "Connect") {
        if (onConnect)
            onConnect();
        ShowStatus("Awaiting Client Connection");
    }
}

void LocalGUI::jogAndStop(bool forward) {
    // A LANC deck jogs one step by itself; other decks jog for 600 ms and stop.
    if (forward) {
        svcr_.jogf();
        if (lanc_)
            return;
    } else {
        svcr_.jogr();
        if (lanc_) {
            svcr_.pause();
            return;
        }
    }
    windowDelay(600);
    svcr_.stop();
}

void LocalGUI::eeOffSequence() {
    // No EE frame: the deck leaves EE by a short jog forward and back.
    svcr_.jogf();
    windowDelay(600);
    svcr_.stop();
    svcr_.jogr();
    windowDelay(600);
    svcr_.stop();
}

void LocalGUI::slider(int v) {
    vsbval_ = v;
    shuttle_.stop();
    still_ = v > 42 && v < 54;
    if (v >= 54) {
        svcr_.shutfwd((v - 48) * 2);
    } else if (v <= 42) {
        svcr_.shutrev((48 - v) * 2);
    } else {
        svcr_.pause();  // the dead band around the centre
    }
}

void LocalGUI::cueFieldEntered() {
    svcr_.fields().setCue(cuefield_->text().toStdString());
    svcr_.MakeCueString();
}

void LocalGUI::openLogger() {
    // No logger window opened: the button stays as it was.
    if (!onOpenLogger || !onOpenLogger())
        return;
    loggerOpen_ = true;
    applyEnabled();
}

void LocalGUI::loggerClosed() {
    onGui([this] {
        loggerOpen_ = false;
        applyEnabled();
    });
}

}  // namespace vemo::ui
