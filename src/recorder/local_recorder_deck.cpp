#include "recorder/local_recorder_deck.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "deck/cue_thread.h"

namespace vemo::recorder {
namespace {

bool has(const std::string& words, const char* word) {
    return words.find(word) != std::string::npos;
}

// The speed the deck winds at, in percent of play: tape decks wind at about ten times play.
constexpr int kWindSpeed = 1000;

}  // namespace

int shuttleByte(int percent) {
    const double p = std::abs(percent);
    if (p <= 0)
        return 1;
    const long n = std::lround(32.0 * std::log10(p));
    return static_cast<int>(std::clamp(n, 1L, 127L));
}

LocalRecorderDeck::LocalRecorderDeck(deck::LocalVCR& vcr)
    : vcr_(vcr), model_("Vemo " + vcr.settings().VCRType) {}

DeckState LocalRecorderDeck::state() const {
    DeckState s;
    s.frames = vcr_.tcframes();
    s.tape = vcr_.deckAnswering() && !vcr_.tapeOut();
    s.remote = vcr_.deckAnswering() && !vcr_.deckLocal();
    // While a review runs the status words leave the transport out: it plays.
    auto cue = vcr_.cuethread();
    if (vcr_.reviewclipFlag() && cue && !cue->finished()) {
        s.transport = Transport::play;
        s.speed = 100;
        return s;
    }
    const std::string words = vcr_.StatusString();
    if (has(words, "Rec ")) {
        s.transport = Transport::record;
        s.speed = 100;
    } else if (has(words, "Shuttle ")) {
        s.transport = Transport::shuttle;
        s.speed = shuttleSpeed_.load();
    } else if (has(words, "Jog ")) {
        s.transport = Transport::jog;
    } else if (has(words, "FF ")) {
        s.transport = Transport::forward;
        s.speed = kWindSpeed;
    } else if (has(words, "REW ")) {
        s.transport = Transport::rewind;
        s.speed = -kWindSpeed;
    } else if (has(words, "Play ")) {
        s.transport = Transport::play;
        s.speed = 100;
    }
    return s;
}

core::FrameRate LocalRecorderDeck::frameRate() const {
    return vcr_.settings().frameRate;
}

bool LocalRecorderDeck::variableSpeed() const {
    return !vcr_.isLX1();
}

void LocalRecorderDeck::play() {
    vcr_.play();
}

void LocalRecorderDeck::stop() {
    vcr_.stop();
}

void LocalRecorderDeck::record() {
    vcr_.record();
}

void LocalRecorderDeck::shuttle(int percent) {
    shuttleSpeed_.store(percent);
    if (percent > 0)
        vcr_.shutfwd(shuttleByte(percent));
    else
        vcr_.shutrev(shuttleByte(percent));
}

bool LocalRecorderDeck::cueTo(int frames) {
    const core::FrameRate rate = frameRate();
    vcr_.fields().setCue(deck::TimeCode::fromFrameCount(frames, rate).text());
    return vcr_.cue();
}

bool LocalRecorderDeck::playRange(int in, int out) {
    const core::FrameRate rate = frameRate();
    vcr_.fields().setCue(deck::TimeCode::fromFrameCount(in, rate).text());
    vcr_.fields().setEnd(deck::TimeCode::fromFrameCount(out, rate).text());
    return vcr_.reviewclip();
}

}  // namespace vemo::recorder
