#pragma once

// A recorder deck for the session and server tests: keeps the state a test sets and writes
// down each operation it is asked for ("play", "cue 150", "range 0 60", "shuttle -200").

#include <mutex>
#include <string>
#include <vector>

#include "recorder/clip_list.h"
#include "recorder/recorder_deck.h"

namespace vemo::recorder::test {

class FakeRecorderDeck : public RecorderDeck {
  public:
    core::FrameRate rate = core::FrameRate::Fps30;
    bool jogAndShuttle = true;
    bool cueWorks = true;

    DeckState state() const override {
        std::lock_guard<std::mutex> lock(mutex_);
        return state_;
    }
    void setState(const DeckState& s) {
        std::lock_guard<std::mutex> lock(mutex_);
        state_ = s;
    }
    core::FrameRate frameRate() const override { return rate; }
    bool variableSpeed() const override { return jogAndShuttle; }
    const char* modelName() const override { return "Vemo RECON"; }

    void play() override { note("play"); }
    void stop() override { note("stop"); }
    void record() override { note("record"); }
    void shuttle(int percent) override { note("shuttle " + std::to_string(percent)); }
    bool cueTo(int frames) override {
        note("cue " + std::to_string(frames));
        return cueWorks;
    }
    bool playRange(int in, int out) override {
        note("range " + std::to_string(in) + " " + std::to_string(out));
        return cueWorks;
    }

    std::vector<std::string> calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }

  private:
    void note(const std::string& call) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(call);
    }
    mutable std::mutex mutex_;
    DeckState state_{Transport::stopped, 0, 0, true, true};
    std::vector<std::string> calls_;
};

// Three clips at 30 frames a second: 10-20 s, 30-40 s, 60-61 s.
inline std::vector<LoggedClip> threeClips() {
    return {{"Intro", 300, 600}, {"Interview take 2", 900, 1200}, {"End", 1800, 1830}};
}

}  // namespace vemo::recorder::test
