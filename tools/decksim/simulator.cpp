#include "simulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "timecode.h"

namespace vemo::decksim {

namespace {

// One byte on a 38400 bit/s line with start, 8 data, parity and stop bits: 11 bits.
constexpr auto kByteTime = std::chrono::nanoseconds(11'000'000'000LL / 38400);
constexpr std::size_t kMaxQueued = 4096;  // a console that stops reading loses replies
constexpr auto kExclusiveSilence = std::chrono::seconds(1);
constexpr auto kLongestSleep = std::chrono::seconds(1);

bool isTimeData(const Bytes& reply) {
    return reply.size() == 7 && reply[0] == 0x74;
}

double monotonicMs(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t.time_since_epoch()).count();
}

}  // namespace

std::string hexBytes(const Bytes& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    return text;
}

Simulator::Simulator(const Options& options, PtyLine& line, std::FILE* log)
    : options_(options),
      line_(line),
      log_(log),
      deck_(options.type, options.startFrames, Clock::now(), options.rate),
      lineFreeAt_(Clock::now()),
      lastInput_(Clock::now()),
      random_(options.seed) {
    deck_.setReportsCueComplete(!options.noCueComplete);
}

void Simulator::applyControls(const Controls& controls) {
    const bool stall = controls.stalls.load() % 2 == 1;
    const bool pull = controls.pulls.load() % 2 == 1;
    corruptAll_ = controls.corrupts.load() % 2 == 1;
    if (pull != pulled_) {
        pulled_ = pull;
        output_.clear();
        outputBlocked_ = false;
        if (pull) {
            line_.pull();
        } else {
            line_.open();
            line_.publish(options_.link);
            stalled_ = false;  // a new line is a free one
        }
        if (options_.verbose)
            std::fprintf(stderr, "decksim: line %s\n", pull ? "pulled" : "plugged in");
    }
    if (stall != stalled_ && !pulled_) {
        stalled_ = stall;
        line_.setStalled(stall);
        if (options_.verbose)
            std::fprintf(stderr, "decksim: line %s\n", stall ? "stalled" : "freed");
    }
}

void Simulator::run(const Controls& controls, const sigset_t& waitMask) {
    while (!controls.stop.load()) {
        applyControls(controls);
        auto now = Clock::now();
        auto wake = nextWake(now);
        auto wait = std::max(Clock::duration::zero(), wake - now);
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        timespec timeout{static_cast<time_t>(ns / 1'000'000'000),
                         static_cast<long>(ns % 1'000'000'000)};
        const auto wanted =
            static_cast<short>((stalled_ ? 0 : POLLIN) | (outputBlocked_ ? POLLOUT : 0));
        pollfd fd{line_.master(), wanted, 0};  // a pulled line (-1) only waits
        int ready = ::ppoll(&fd, 1, &timeout, &waitMask);
        if (ready < 0 && errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "ppoll");
        now = Clock::now();
        if (ready > 0 && (fd.revents & POLLOUT))
            outputBlocked_ = false;
        if (!stalled_ && !pulled_)
            readInput(now);
        std::vector<FrameParser::Event> events;
        parser_.expire(now, events);
        for (const auto& e : events)
            onEvent(e);
        flushOutput(Clock::now());
        if (!exclusiveCleared_ && !pulled_ && now - lastInput_ > kExclusiveSilence) {
            line_.clearExclusive();
            exclusiveCleared_ = true;
        }
    }
}

Clock::time_point Simulator::nextWake(Clock::time_point now) const {
    auto wake = now + kLongestSleep;
    if (!output_.empty() && !outputBlocked_)
        wake = std::min(wake, output_.front().due);
    if (auto d = parser_.deadline())
        wake = std::min(wake, *d);
    if (!exclusiveCleared_)
        wake = std::min(wake, lastInput_ + kExclusiveSilence);
    return wake;
}

void Simulator::readInput(Clock::time_point now) {
    std::uint8_t buffer[512];
    for (;;) {
        ssize_t n = ::read(line_.master(), buffer, sizeof buffer);
        if (n > 0) {
            lastInput_ = now;
            exclusiveCleared_ = false;
            std::vector<FrameParser::Event> events;
            parser_.push(buffer, static_cast<std::size_t>(n), now, events);
            for (const auto& e : events)
                onEvent(e);
            continue;
        }
        // EAGAIN: all read. EIO: no console has the line open (cannot last while the
        // simulator holds its own slave descriptor, but is harmless).
        if (n < 0 && errno == EINTR)
            continue;
        return;
    }
}

void Simulator::onEvent(const FrameParser::Event& event) {
    Bytes reply;
    std::string note;
    switch (event.kind) {
        case FrameParser::Kind::frame:
            if (roll(options_.nakFraction)) {
                reply = nakReply(kNakChecksum);
                note = "fault=nak";
            } else {
                reply = deck_.handle(event.bytes, event.at);
                if (reply[0] == 0x11)
                    note = "nak=01";
            }
            break;
        case FrameParser::Kind::badChecksum:
            reply = nakReply(kNakChecksum);
            note = "nak=04";
            break;
        case FrameParser::Kind::timedOut:
            reply = nakReply(kNakTimeout);
            note = "timeout nak=80";
            break;
    }
    auto append = [&note](const char* word) {
        note += note.empty() ? word : std::string(" ") + word;
    };
    if (roll(options_.dropFraction)) {
        append("fault=drop");
        reply.clear();
    } else if (reply.size() > 1 && (corruptAll_ || roll(options_.corruptFraction))) {
        append("fault=corrupt");
        // One byte after the first changed: the checksum no longer fits.
        std::size_t at = 1 + random_() % (reply.size() - 1);
        reply[at] ^= static_cast<std::uint8_t>(1 + random_() % 255);
    } else if (isTimeData(reply) && roll(options_.badDigitsFraction)) {
        append("fault=bad-digits");
        // A units digit of A-F in one of the four time bytes, and a checksum that fits it.
        std::size_t at = 2 + random_() % 4;
        reply[at] = static_cast<std::uint8_t>((reply[at] & 0xF0) | (0x0A + random_() % 6));
        reply[6] = checksum(reply, 6);
    } else if (roll(options_.garbageFraction)) {
        append("fault=garbage");
        Bytes bad = junk();
        // Half the time the junk replaces the reply, else it goes out ahead of it.
        if (random_() % 2 == 0)
            reply.clear();
        reply.insert(reply.begin(), bad.begin(), bad.end());
    }
    logFrame(event, note);
    if (options_.verbose)
        trace(event, reply, note);
    schedule(reply, event.at);
}

bool Simulator::roll(double fraction) {
    if (fraction <= 0.0)
        return false;  // no draw: fault-free runs do not use the generator
    return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < fraction;
}

Bytes Simulator::junk() {
    Bytes bytes(1 + random_() % 4);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random_());
    return bytes;
}

void Simulator::schedule(const Bytes& reply, Clock::time_point frameEnd) {
    if (reply.empty())
        return;
    if (output_.size() + reply.size() > kMaxQueued) {
        if (options_.verbose)
            std::fprintf(stderr, "decksim: console not reading, reply lost\n");
        return;
    }
    auto delay = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(options_.replyDelayMs));
    auto start = std::max(frameEnd + delay, lineFreeAt_);
    auto step = options_.pace ? kByteTime : Clock::duration::zero();
    for (std::size_t i = 0; i < reply.size(); ++i) {
        output_.push_back({start + step * static_cast<long>(i), reply[i]});
    }
    lineFreeAt_ = start + step * static_cast<long>(reply.size());
}

void Simulator::flushOutput(Clock::time_point now) {
    if (pulled_) {
        output_.clear();
        return;
    }
    while (!output_.empty() && !outputBlocked_ && output_.front().due <= now) {
        std::uint8_t chunk[256];
        std::size_t count = 0;
        while (count < output_.size() && count < sizeof chunk && output_[count].due <= now) {
            chunk[count] = output_[count].byte;
            ++count;
        }
        ssize_t n = ::write(line_.master(), chunk, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN) {
                outputBlocked_ = true;
                return;
            }
            output_.clear();  // the line is gone; nothing can be delivered
            return;
        }
        output_.erase(output_.begin(), output_.begin() + n);
    }
}

void Simulator::logFrame(const FrameParser::Event& event, const std::string& note) {
    if (log_ == nullptr)
        return;
    std::string pos = formatTimeCode(deck_.position(event.at), options_.rate);
    std::fprintf(log_, "%.3f %s pos=%s%s%s\n", monotonicMs(event.at), hexBytes(event.bytes).c_str(),
                 pos.c_str(), note.empty() ? "" : " ", note.c_str());
    std::fflush(log_);
}

void Simulator::trace(const FrameParser::Event& event, const Bytes& reply,
                      const std::string& note) {
    std::fprintf(stderr, "rx %s -> tx %s [%s pos=%s]%s%s\n", hexBytes(event.bytes).c_str(),
                 reply.empty() ? "-" : hexBytes(reply).c_str(), deck_.describe().c_str(),
                 formatTimeCode(deck_.position(event.at), options_.rate).c_str(),
                 note.empty() ? "" : " ", note.c_str());
}

}  // namespace vemo::decksim
