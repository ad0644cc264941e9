#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "frame_parser.h"
#include "timecode.h"

namespace vemo::decksim {

enum class DeckType { tape, lx1, recon };

// The deck's transport: what it is doing, where the tape is, and the replies it gives. The
// position is worked out from the time passed at the current speed whenever it is asked for,
// so no timer has to tick.
class DeckModel {
  public:
    DeckModel(DeckType type, long startFrames, Clock::time_point now, Rate rate = {});

    // Acts on one well-formed frame (checksum already verified) and returns the reply.
    Bytes handle(const Bytes& frame, Clock::time_point now);

    long position(Clock::time_point now);
    // Status bytes 0..15, as the status sense reply carries them from byte 0 on.
    std::array<std::uint8_t, 16> status(Clock::time_point now);
    std::string describe() const;  // the transport mode, for the log
    // A deck whose status never reports a cue complete (the cue itself still happens).
    void setReportsCueComplete(bool reports) { reportsCueComplete_ = reports; }

  private:
    enum class Mode { stop, play, record, fastForward, rewind, shuttle, jog, variable, cueing };

    void advance(Clock::time_point now);
    void setMotion(Mode mode, double speed, Clock::time_point now);
    Bytes transport(std::uint8_t command, Clock::time_point now);
    Bytes speedCommand(std::uint8_t command, std::uint8_t speedByte, Clock::time_point now);
    Bytes cue(const Bytes& frame, Clock::time_point now);
    Bytes timeData(Clock::time_point now);
    Bytes statusData(std::uint8_t which, Clock::time_point now);

    DeckType type_;
    Rate rate_;
    Mode mode_ = Mode::stop;
    double speed_ = 0.0;     // signed, in play speeds
    double position_ = 0.0;  // frames; fractions kept so slow speeds still move
    Clock::time_point last_;
    bool standby_ = false;
    bool ee_ = false;
    bool cueComplete_ = false;
    bool reportsCueComplete_ = true;
    std::uint8_t timerMode_ = 0;
    // A cue runs from cueFrom_ to cueTo_ between cueStart_ and cueEnd_.
    double cueFrom_ = 0.0;
    double cueTo_ = 0.0;
    Clock::time_point cueStart_;
    Clock::time_point cueEnd_;
};

}  // namespace vemo::decksim
