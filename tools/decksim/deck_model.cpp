#include "deck_model.h"

#include <algorithm>
#include <cmath>

#include "timecode.h"

namespace vemo::decksim {

namespace {

constexpr double kWindSpeed = 10.0;  // fast forward and rewind, in play speeds
// A cue searches at about 50x, never quicker than 0.3 s. It takes at most 3 s, 1 s on the
// disc recorder, whose console gives a cue only 2 s to complete.
constexpr double kCueSearchSpeed = 50.0;
constexpr double kCueMinSeconds = 0.3;
constexpr double kCueMaxSeconds = 3.0;
constexpr double kDiscCueMaxSeconds = 1.0;

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

DeckModel::DeckModel(DeckType type, long startFrames, Clock::time_point now, Rate rate)
    : type_(type), rate_(rate), position_(static_cast<double>(startFrames)), last_(now) {}

void DeckModel::advance(Clock::time_point now) {
    if (now <= last_)
        return;
    if (mode_ == Mode::cueing) {
        if (now >= cueEnd_) {
            position_ = cueTo_;
            mode_ = Mode::stop;
            speed_ = 0.0;
            cueComplete_ = true;
        } else {
            double done = seconds(now - cueStart_) / seconds(cueEnd_ - cueStart_);
            position_ = cueFrom_ + (cueTo_ - cueFrom_) * done;
        }
    } else if (speed_ != 0.0) {
        position_ += speed_ * rate_.framesPerRealSecond() * seconds(now - last_);
        if (position_ <= 0.0) {  // the tape stops at its head
            position_ = 0.0;
            mode_ = Mode::stop;
            speed_ = 0.0;
        }
        position_ = std::fmod(position_, static_cast<double>(rate_.framesPerDay()));
    }
    last_ = now;
}

void DeckModel::setMotion(Mode mode, double speed, Clock::time_point now) {
    advance(now);
    // Any command that moves the tape leaves the cued point.
    if (speed != 0.0 || mode == Mode::cueing)
        cueComplete_ = false;
    mode_ = mode;
    speed_ = speed;
}

long DeckModel::position(Clock::time_point now) {
    advance(now);
    return static_cast<long>(std::floor(position_ + 1e-6));
}

Bytes DeckModel::handle(const Bytes& frame, Clock::time_point now) {
    std::uint8_t cmd1 = frame[0];
    std::uint8_t cmd2 = frame[1];
    switch (cmd1) {
        case 0x20:
            return transport(cmd2, now);
        case 0x21:
            return speedCommand(cmd2, frame[2], now);
        case 0x24:
            if (cmd2 == 0x31)
                return cue(frame, now);
            break;
        case 0x41:
            if (cmd2 == 0x36) {
                timerMode_ = frame[2];
                return ackReply();
            }
            break;
        case 0x61:
            if (cmd2 == 0x0C)
                return timeData(now);
            if (cmd2 == 0x20)
                return statusData(frame[2], now);
            break;
        default:
            break;
    }
    return nakReply(kNakUndefined);
}

Bytes DeckModel::transport(std::uint8_t command, Clock::time_point now) {
    switch (command) {
        case 0x00:
            setMotion(Mode::stop, 0.0, now);
            break;
        case 0x01:
            setMotion(Mode::play, 1.0, now);
            break;
        case 0x02:
            setMotion(Mode::record, 1.0, now);
            break;
        case 0x10:
            setMotion(Mode::fastForward, kWindSpeed, now);
            break;
        case 0x20:
            setMotion(Mode::rewind, -kWindSpeed, now);
            break;
        case 0x04:
            standby_ = false;
            break;
        case 0x05:
            standby_ = true;
            break;
        case 0x60:
            ee_ = false;
            break;
        case 0x61:
            ee_ = true;
            break;
        default:
            return nakReply(kNakUndefined);
    }
    return ackReply();
}

Bytes DeckModel::speedCommand(std::uint8_t command, std::uint8_t speedByte, Clock::time_point now) {
    double speed = speedOfByte(speedByte);
    switch (command) {
        case 0x11:
            setMotion(Mode::jog, speed, now);
            break;
        case 0x21:
            setMotion(Mode::jog, -speed, now);
            break;
        case 0x12:
            setMotion(Mode::variable, speed, now);
            break;
        case 0x22:
            setMotion(Mode::variable, -speed, now);
            break;
        case 0x13:
            setMotion(Mode::shuttle, speed, now);
            break;
        case 0x23:
            setMotion(Mode::shuttle, -speed, now);
            break;
        default:
            return nakReply(kNakUndefined);
    }
    return ackReply();
}

Bytes DeckModel::cue(const Bytes& frame, Clock::time_point now) {
    auto target = decodeBcdTime(frame[2], frame[3], frame[4], frame[5], rate_);
    if (!target)
        return nakReply(kNakUndefined);  // not a time code: the deck refuses it
    setMotion(Mode::cueing, 0.0, now);
    cueFrom_ = position_;
    cueTo_ = static_cast<double>(*target);
    double distance = std::fabs(cueTo_ - cueFrom_) / rate_.framesPerRealSecond();
    double cap = type_ == DeckType::lx1 ? kDiscCueMaxSeconds : kCueMaxSeconds;
    double took = std::clamp(distance / kCueSearchSpeed, kCueMinSeconds, cap);
    cueStart_ = now;
    cueEnd_ =
        now + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(took));
    return ackReply();
}

Bytes DeckModel::timeData(Clock::time_point now) {
    auto label = labelOf(position(now), rate_);
    // Bit 6 of the frames byte flags a drop-frame time code.
    const std::uint8_t dropFlag = rate_.dropFrame ? 0x40 : 0x00;
    return withChecksum({0x74, 0x04, static_cast<std::uint8_t>(toBcd(label[3]) | dropFlag),
                         toBcd(label[2]), toBcd(label[1]), toBcd(label[0])});
}

Bytes DeckModel::statusData(std::uint8_t which, Clock::time_point now) {
    // The data byte names the first status byte (high nibble) and how many (low nibble).
    unsigned first = which >> 4;
    unsigned count = which & 0x0F;
    if (count == 0 || first + count > 16)
        return nakReply(kNakUndefined);
    auto s = status(now);
    Bytes reply{static_cast<std::uint8_t>(0x70 | count), 0x20};
    for (unsigned i = 0; i < count; ++i)
        reply.push_back(s[first + i]);
    return withChecksum(std::move(reply));
}

std::array<std::uint8_t, 16> DeckModel::status(Clock::time_point now) {
    advance(now);
    std::array<std::uint8_t, 16> s{};
    bool tape = type_ != DeckType::lx1;  // the disc recorder has no standby, shuttle, jog
    bool still =
        speed_ == 0.0 && (mode_ == Mode::shuttle || mode_ == Mode::jog || mode_ == Mode::variable);
    switch (mode_) {
        case Mode::stop:
            s[1] |= 0x20;
            break;
        case Mode::play:
            s[1] |= 0x01;
            break;
        case Mode::record:
            s[1] |= 0x02;
            break;
        case Mode::fastForward:
            s[1] |= 0x04;
            break;
        case Mode::rewind:
            s[1] |= 0x08;
            break;
        case Mode::shuttle:
            s[2] |= tape ? 0x20 : 0x00;
            break;
        case Mode::jog:
            s[2] |= tape ? 0x10 : 0x00;
            break;
        case Mode::variable:
            s[2] |= tape ? 0x08 : 0x00;
            break;
        case Mode::cueing:
            s[4] |= 0x01;
            break;
    }
    if (tape && standby_ && mode_ == Mode::stop)
        s[1] |= 0x80;
    if (cueComplete_ && reportsCueComplete_)
        s[2] |= 0x01;
    if (still)
        s[2] |= 0x02;
    if (speed_ < 0.0 && tape && mode_ != Mode::rewind)
        s[2] |= 0x04;
    return s;
}

std::string DeckModel::describe() const {
    static const char* const names[] = {"stop",    "play", "record", "ff",    "rew",
                                        "shuttle", "jog",  "var",    "cueing"};
    std::string text = names[static_cast<int>(mode_)];
    if (cueComplete_)
        text += "+cued";
    if (standby_)
        text += "+stby";
    if (ee_)
        text += "+ee";
    return text;
}

}  // namespace vemo::decksim
