#include "recorder/session.h"

#include <array>

#include "core/trimmed.h"

namespace vemo::recorder {
namespace {

struct Code {
    int code;
    const char* text;
};
constexpr std::array kCodes{
    Code{100, "syntax error"},
    Code{101, "unsupported parameter"},
    Code{102, "invalid value"},
    Code{103, "unsupported"},
    Code{105, "no disk"},
    Code{107, "timeline empty"},
    Code{108, "internal error"},
    Code{109, "out of range"},
    Code{111, "remote control disabled"},
    Code{120, "connection rejected"},
    Code{150, "invalid state"},
    Code{200, "ok"},
};

// Commands of the protocol that a tape deck has no use for: refused as unsupported rather
// than as unknown, so a controller can tell the two apart.
constexpr std::array<std::string_view, 14> kUnsupported{
    "preview",    "format",        "uptime",       "identify",    "slot select",
    "clips add",  "clips clear",   "playrange",    "play option", "play on startup",
    "cache info", "dynamic range", "slot unblock", "record spill"};

using core::trimmed;

}  // namespace

Snapshot takeSnapshot(const RecorderDeck& deck, const std::vector<LoggedClip>& clips) {
    Snapshot s;
    s.deck = deck.state();
    for (std::size_t i = 0; i < clips.size(); ++i) {
        if (s.deck.frames >= clips[i].in && s.deck.frames < clips[i].out) {
            s.clipId = static_cast<int>(i) + 1;
            break;
        }
    }
    return s;
}

Session::Session(RecorderDeck& deck, const ClipSource& clips, SessionOptions options)
    : deck_(deck), clips_(clips), options_(options) {}

std::string Session::banner(const RecorderDeck& deck) {
    return std::string("500 connection info:\r\nprotocol version: ") + kProtocolVersion +
           "\r\nmodel: " + deck.modelName() + "\r\n\r\n";
}

std::string Session::rejected() {
    return "120 connection rejected\r\n";
}

std::string Session::reply(int code) const {
    for (const Code& c : kCodes) {
        if (c.code == code)
            return std::to_string(code) + " " + c.text + "\r\n";
    }
    return "108 internal error\r\n";
}

std::optional<Session::Outcome> Session::feed(std::string_view line) {
    const std::string_view text = trimmed(line);
    if (block_) {
        if (!text.empty()) {
            // Bounded like a line: a block that never ends cannot grow without limit.
            if (block_->size() + text.size() > 4096) {
                block_.reset();
                return Outcome{reply(100)};
            }
            *block_ += " ";
            *block_ += text;
            return std::nullopt;
        }
        std::string whole = std::move(*block_);
        block_.reset();
        auto c = parseCommand(whole);
        return c ? run(*c) : Outcome{reply(100)};
    }
    if (text.empty())
        return std::nullopt;
    if (text.back() == ':' && text.find(':') == text.size() - 1 && text.size() > 1) {
        block_ = std::string(text);
        return std::nullopt;
    }
    auto c = parseCommand(text);
    return c ? run(*c) : Outcome{reply(100)};
}

Session::Outcome Session::run(const Command& c) {
    const std::string& n = c.name;
    const bool bare = c.params.empty();
    if ((n == "ping" || n == "help" || n == "?" || n == "quit" || n == "device info" ||
         n == "transport info" || n == "clips count" || n == "disk list" || n == "stop" ||
         n == "record" || n == "playrange clear") &&
        !bare)
        return {reply(101)};
    if (n == "ping")
        return {reply(200)};
    if (n == "help" || n == "?")
        return help();
    if (n == "quit")
        return {reply(200), true};
    if (n == "watchdog") {
        auto p = c.param("period");
        if (!p || c.params.size() != 1)
            return {reply(101)};
        auto seconds = parseNumber(*p);
        if (!seconds || *seconds < 0 || *seconds > 3600)
            return {reply(102)};
        watchdog_ = *seconds;
        return {reply(200)};
    }
    if (n == "notify")
        return notifyCommand(c);
    if (n == "device info")
        return deviceInfo();
    if (n == "slot info")
        return slotInfo(c);
    if (n == "transport info")
        return {"208 transport info:\r\n" + transportBody(takeSnapshot(deck_, clips_.clips())) +
                "\r\n"};
    if (n == "remote") {
        if (!bare)
            return {reply(103)};  // the deck's own local/remote switch decides
        return {std::string("210 remote info:\r\nenabled: ") +
                (deck_.state().remote ? "true" : "false") + "\r\noverride: false\r\n\r\n"};
    }
    if (n == "configuration") {
        if (!bare)
            return {reply(103)};
        return {
            "211 configuration:\r\nvideo input: SDI\r\naudio input: embedded\r\nfile format: "
            "tape\r\n\r\n"};
    }
    if (n == "clips count") {
        return {"214 clips count:\r\nclip count: " + std::to_string(clips_.clips().size()) +
                "\r\n\r\n"};
    }
    if (n == "clips get")
        return clipsGet(c);
    if (n == "disk list")
        return diskList();
    if (n == "play")
        return play(c);
    if (n == "stop") {
        singleClip_ = false;
        deck_.stop();
        return {reply(200)};
    }
    if (n == "record") {
        // A switcher's record button must never overwrite a tape unless that was asked for.
        if (!options_.recordAllowed)
            return {reply(103)};
        deck_.record();
        return {reply(200)};
    }
    if (n == "goto")
        return goTo(c);
    if (n == "jog")
        return jog(c);
    if (n == "shuttle")
        return shuttle(c);
    if (n == "playrange set")
        return playrange(c, true);
    if (n == "playrange clear")
        return playrange(c, false);
    for (std::string_view known : kUnsupported) {
        if (n == known)
            return {reply(103)};
    }
    return {reply(100)};
}

}  // namespace vemo::recorder
