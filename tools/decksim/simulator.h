#pragma once

#include <signal.h>

#include <atomic>
#include <cstdio>
#include <deque>
#include <random>
#include <string>

#include "deck_model.h"
#include "frame_parser.h"
#include "options.h"
#include "pty_line.h"

namespace vemo::decksim {

// What the stop and fault signals ask for; set from signal handlers.
struct Controls {
    std::atomic<bool> stop{false};
    std::atomic<unsigned> stalls{0};    // SIGUSR1s: an odd count means the line is stalled
    std::atomic<unsigned> pulls{0};     // SIGUSR2s: an odd count means the line is pulled
    std::atomic<unsigned> corrupts{0};  // SIGRTMINs: an odd count corrupts every reply
};

// One thread, one poll loop: reads frames from the line, lets the deck model answer them,
// and sends the replies at their due times (after the reply delay, paced if asked).
class Simulator {
  public:
    Simulator(const Options& options, PtyLine& line, std::FILE* log);

    // Runs until stop is set; waitMask is the signal mask to wait with, so that the stop
    // signals, blocked otherwise, can only arrive while the loop sleeps.
    void run(const Controls& controls, const sigset_t& waitMask);

  private:
    struct Pending {
        Clock::time_point due;
        std::uint8_t byte;
    };

    void applyControls(const Controls& controls);
    void readInput(Clock::time_point now);
    void onEvent(const FrameParser::Event& event);
    void schedule(const Bytes& reply, Clock::time_point frameEnd);
    void flushOutput(Clock::time_point now);
    Clock::time_point nextWake(Clock::time_point now) const;
    bool roll(double fraction);
    Bytes junk();
    void logFrame(const FrameParser::Event& event, const std::string& note);
    void trace(const FrameParser::Event& event, const Bytes& reply, const std::string& note);

    Options options_;
    PtyLine& line_;
    std::FILE* log_;
    DeckModel deck_;
    FrameParser parser_;
    std::deque<Pending> output_;
    Clock::time_point lineFreeAt_;  // when the last scheduled byte has gone out
    bool outputBlocked_ = false;
    Clock::time_point lastInput_;
    bool exclusiveCleared_ = false;
    bool stalled_ = false;
    bool pulled_ = false;
    bool corruptAll_ = false;
    std::mt19937 random_;
};

std::string hexBytes(const Bytes& bytes);

}  // namespace vemo::decksim
