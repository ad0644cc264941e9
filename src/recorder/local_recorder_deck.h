#pragma once

#include <atomic>
#include <string>

#include "deck/local_vcr.h"
#include "recorder/recorder_deck.h"

namespace vemo::recorder {

// The recorder server's deck: today's deck controller. Transport words of the status poll
// give the state; cues and reviews go through the in and out fields, as the command
// vocabulary's do.
class LocalRecorderDeck : public RecorderDeck {
  public:
    explicit LocalRecorderDeck(deck::LocalVCR& vcr);

    DeckState state() const override;
    core::FrameRate frameRate() const override;
    bool variableSpeed() const override;
    const char* modelName() const override { return model_.c_str(); }

    void play() override;
    void stop() override;
    void record() override;
    void shuttle(int percent) override;
    bool cueTo(int frames) override;
    bool playRange(int in, int out) override;

  private:
    deck::LocalVCR& vcr_;
    const std::string model_;
    std::atomic<int> shuttleSpeed_{0};  // the last speed asked for, as the deck reports none
};

// The shuttle frame's speed byte for a speed in percent of play: the deck plays at
// 10^(N/32 - 2) times play speed, so 100 % is 64; kept within 1-127.
int shuttleByte(int percent);

}  // namespace vemo::recorder
