#pragma once

#include "core/frame_rate.h"

namespace vemo::recorder {

// The transport as a disk recorder reports it.
enum class Transport { stopped, play, forward, rewind, jog, shuttle, record };

// One look at the deck, as the recorder server reports it.
struct DeckState {
    Transport transport = Transport::stopped;
    int speed = 0;        // percent of play, negative backwards
    int frames = 0;       // the time code as a frame count at the console's frame rate
    bool tape = false;    // the deck answers and its status reports a medium in it
    bool remote = false;  // the deck answers and its status does not report LOCAL
};

// The few deck operations and state queries the recorder server needs. The console's deck
// controller implements it (LocalRecorderDeck); tests use a fake. Operations are called on
// the server's deck thread only; state() from there too.
class RecorderDeck {
  public:
    virtual ~RecorderDeck() = default;

    virtual DeckState state() const = 0;
    virtual core::FrameRate frameRate() const = 0;
    // The deck type has jog and variable speed (the LX1 recorder has neither).
    virtual bool variableSpeed() const = 0;
    // A model name for the device info ("Vemo RECON").
    virtual const char* modelName() const = 0;

    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void record() = 0;
    // Percent of play, not 0 nor 100; negative backwards. Only with variableSpeed().
    virtual void shuttle(int percent) = 0;
    // Cues the deck to the frame; false when the deck cannot start the cue.
    virtual bool cueTo(int frames) = 0;
    // Plays from the in frame and halts at the out frame, as a review does.
    virtual bool playRange(int in, int out) = 0;
};

}  // namespace vemo::recorder
