#include "options.h"

#include <cerrno>
#include <cstdlib>

#include "common/command_line.h"
#include "timecode.h"

namespace vemo::decksim {

namespace {

std::optional<double> number(const std::string& text, double low, double high) {
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == nullptr || *end != '\0' || !(value >= low && value <= high)) {
        return std::nullopt;
    }
    return value;
}

std::optional<DeckType> deckType(const std::string& text) {
    if (text == "tape")
        return DeckType::tape;
    if (text == "lx1")
        return DeckType::lx1;
    if (text == "recon")
        return DeckType::recon;
    return std::nullopt;
}

// Applies one option that takes a value; false with the error set when the value is bad.
bool takeValue(Options& o, const std::string& name, const std::string& value, std::string& error) {
    auto fraction = [&](double& into) {
        auto v = number(value, 0.0, 1.0);
        if (v)
            into = *v;
        return v.has_value();
    };
    bool ok = true;
    if (name == "--link") {
        o.link = value;
        ok = !value.empty();
    } else if (name == "--type") {
        auto t = deckType(value);
        if (t)
            o.type = *t;
        ok = t.has_value();
    } else if (name == "--start") {
        o.start = value;
        ok = parseTimeCode(value, Rate{30, true}) || parseTimeCode(value);
    } else if (name == "--fps") {
        auto r = parseRate(value);
        if (r)
            o.rate = *r;
        ok = r.has_value();
    } else if (name == "--reply-delay") {
        auto v = number(value, 0.0, 9.0);
        if (v)
            o.replyDelayMs = *v;
        ok = v.has_value();
    } else if (name == "--drop") {
        ok = fraction(o.dropFraction);
    } else if (name == "--nak") {
        ok = fraction(o.nakFraction);
    } else if (name == "--garbage") {
        ok = fraction(o.garbageFraction);
    } else if (name == "--corrupt") {
        ok = fraction(o.corruptFraction);
    } else if (name == "--bad-digits") {
        ok = fraction(o.badDigitsFraction);
    } else if (name == "--seed") {
        auto v = number(value, 0.0, 4294967295.0);
        if (v)
            o.seed = static_cast<std::uint32_t>(*v);
        ok = v.has_value() && *v == static_cast<double>(o.seed);
    } else if (name == "--log") {
        o.logFile = value;
        ok = !value.empty();
    }
    if (!ok)
        error = "bad value for " + name + ": \"" + value + "\"";
    return ok;
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
    enum Flag { pace = 256, verbose, noCueComplete, version };
    static const option longOptions[] = {{"link", required_argument, nullptr, 0},
                                         {"type", required_argument, nullptr, 0},
                                         {"start", required_argument, nullptr, 0},
                                         {"fps", required_argument, nullptr, 0},
                                         {"reply-delay", required_argument, nullptr, 0},
                                         {"drop", required_argument, nullptr, 0},
                                         {"nak", required_argument, nullptr, 0},
                                         {"garbage", required_argument, nullptr, 0},
                                         {"corrupt", required_argument, nullptr, 0},
                                         {"bad-digits", required_argument, nullptr, 0},
                                         {"seed", required_argument, nullptr, 0},
                                         {"log", required_argument, nullptr, 0},
                                         {"pace", no_argument, nullptr, pace},
                                         {"verbose", no_argument, nullptr, verbose},
                                         {"no-cue-complete", no_argument, nullptr, noCueComplete},
                                         {"help", no_argument, nullptr, 'h'},
                                         {"version", no_argument, nullptr, version},
                                         {nullptr, 0, nullptr, 0}};
    Options o;
    tools::ArgVector argv("vemo-decksim", args);
    int index = 0;
    for (int c; (c = getopt_long(argv.argc(), argv.argv(), ":h", longOptions, &index)) != -1;) {
        switch (c) {
            case 0:
                if (!takeValue(o, std::string("--") + longOptions[index].name, ::optarg, error))
                    return std::nullopt;
                break;
            case pace:
                o.pace = true;
                break;
            case verbose:
                o.verbose = true;
                break;
            case noCueComplete:
                o.noCueComplete = true;
                break;
            case 'h':
                o.help = true;
                return o;
            case version:
                o.version = true;
                return o;
            default:
                error = argv.mistake(c);
                return std::nullopt;
        }
    }
    if (auto rest = argv.operands(); !rest.empty()) {
        error = "unexpected argument " + rest.front();
        return std::nullopt;
    }
    if (o.link.empty()) {
        error = "--link PATH is required";
        return std::nullopt;
    }
    if (!o.start.empty()) {
        auto f = parseTimeCode(o.start, o.rate);
        if (!f) {
            error = "bad value for --start: \"" + o.start + "\"";
            return std::nullopt;
        }
        o.startFrames = *f;
    }
    return o;
}

const char* usageText() {
    return "Usage: vemo-decksim --link PATH [options]\n"
           "Emulates a video deck on a pseudo-terminal, speaking the 9-pin style deck\n"
           "protocol at 38400 8O1. PATH becomes a symbolic link to the line (printed on\n"
           "standard output); runs until SIGTERM or SIGINT. SIGUSR1 stalls the line (no\n"
           "byte read or taken) or frees it again; SIGUSR2 pulls the line (link and pty\n"
           "gone) or plugs a new one in under the same link; SIGRTMIN starts or ends\n"
           "corrupting every reply.\n"
           "\n"
           "  --link PATH            symbolic link to create for the line (required)\n"
           "  --type tape|lx1|recon  deck type (default tape)\n"
           "  --start HH:MM:SS:FF    time code at start (default 00:00:00:00)\n"
           "  --fps 30|25|29.97DF    frame rate of the tape's time code (default 30)\n"
           "  --reply-delay MS       0-9 ms from a frame's last byte to the reply (default 1)\n"
           "  --pace                 send reply bytes at the line's byte time (0.286 ms)\n"
           "  --drop FRACTION        0-1: share of replies not sent (the command still acts)\n"
           "  --nak FRACTION         0-1: share of frames refused with a checksum NAK\n"
           "  --garbage FRACTION     0-1: share of replies with junk bytes instead or ahead\n"
           "  --corrupt FRACTION     0-1: share of replies with one byte changed (bad checksum)\n"
           "  --bad-digits FRACTION  0-1: share of time data with a digit above 9 (checksum fits)\n"
           "  --no-cue-complete      the status never reports a cue complete\n"
           "  --seed N               seed of the fault choices (default 1)\n"
           "  --log FILE             one line per frame received: time, bytes, position\n"
           "  --verbose              trace frames and replies on standard error\n"
           "  --help                 this text\n"
           "  --version              the version\n";
}

}  // namespace vemo::decksim
