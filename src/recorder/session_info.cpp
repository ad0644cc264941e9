// The info replies and the asynchronous messages.
#include <algorithm>
#include <array>

#include "recorder/session.h"

namespace vemo::recorder {
namespace {

const char* statusWord(Transport t) {
    switch (t) {
        case Transport::play:
            return "play";
        case Transport::forward:
            return "forward";
        case Transport::rewind:
            return "rewind";
        case Transport::jog:
            return "jog";
        case Transport::shuttle:
            return "shuttle";
        case Transport::record:
            return "record";
        case Transport::stopped:
            break;
    }
    return "stopped";
}

const char* flag(bool on) {
    return on ? "true" : "false";
}

struct NotifyKey {
    const char* key;
    bool NotifyFlags::*flag;
};
constexpr std::array kNotifyKeys{
    NotifyKey{"transport", &NotifyFlags::transport},
    NotifyKey{"slot", &NotifyFlags::slot},
    NotifyKey{"remote", &NotifyFlags::remote},
    NotifyKey{"configuration", &NotifyFlags::configuration},
    NotifyKey{"display timecode", &NotifyFlags::displayTimecode},
    NotifyKey{"timeline position", &NotifyFlags::timelinePosition},
    NotifyKey{"playrange", &NotifyFlags::playrange},
};

}  // namespace

Session::Outcome Session::help() const {
    return {
        "201 help:\r\n"
        "ping, watchdog: period: N, help, quit\r\n"
        "notify, notify: transport: true slot: true remote: true configuration: true\r\n"
        "device info, slot info, transport info, remote, configuration\r\n"
        "clips count, clips get, clips get: version: 2, disk list\r\n"
        "play, play: speed: S, play: single clip: true, stop, record\r\n"
        "goto: timecode: TC, goto: clip id: N, goto: clip: start, goto: timeline: end\r\n"
        "jog: timecode: +TC, shuttle: speed: S\r\n"
        "playrange set: in: TC out: TC, playrange set: clip id: N, playrange clear\r\n"
        "\r\n"};
}

Session::Outcome Session::notifyCommand(const Command& c) {
    if (c.params.empty()) {
        std::string body = "209 notify:\r\n";
        for (const NotifyKey& k : kNotifyKeys)
            body += std::string(k.key) + ": " + flag(notify_.*k.flag) + "\r\n";
        return {body + "\r\n"};
    }
    // All or nothing: a command with one bad key changes no choice.
    NotifyFlags next = notify_;
    for (const auto& [key, value] : c.params) {
        const NotifyKey* found = nullptr;
        for (const NotifyKey& k : kNotifyKeys) {
            if (key == k.key)
                found = &k;
        }
        if (found == nullptr)
            return {reply(101)};
        auto on = parseFlag(value);
        if (!on)
            return {reply(102)};
        next.*found->flag = *on;
    }
    notify_ = next;
    return {reply(200)};
}

Session::Outcome Session::deviceInfo() const {
    return {std::string("204 device info:\r\nprotocol version: ") + kProtocolVersion +
            "\r\nmodel: " + deck_.modelName() +
            "\r\nunique id: vemo\r\nslot count: 1\r\nsoftware version: 1\r\n\r\n"};
}

std::string Session::slotBody(const DeckState& s) const {
    return std::string("slot id: 1\r\nstatus: ") + (s.tape ? "mounted" : "empty") +
           "\r\nvolume name: " + (s.tape ? "Tape" : "") +
           "\r\nrecording time: 0\r\nvideo format: " + videoFormat(deck_.frameRate()) + "\r\n";
}

Session::Outcome Session::slotInfo(const Command& c) const {
    for (const auto& [key, value] : c.params) {
        if (key != "slot id")
            return {reply(101)};
        // The deck has one medium: slot 1.
        if (parseNumber(value) != 1)
            return {reply(102)};
    }
    return {"202 slot info:\r\n" + slotBody(deck_.state()) + "\r\n"};
}

std::string Session::transportBody(const Snapshot& s) const {
    const core::FrameRate rate = deck_.frameRate();
    const std::string tc = timecodeText(s.deck.frames, rate);
    return std::string("status: ") + statusWord(s.deck.transport) +
           "\r\nspeed: " + std::to_string(s.deck.speed) +
           "\r\nslot id: " + (s.deck.tape ? "1" : "none") +
           "\r\nclip id: " + (s.clipId ? std::to_string(*s.clipId) : "none") +
           "\r\nsingle clip: " + flag(singleClip_) + "\r\ndisplay timecode: " + tc +
           "\r\ntimecode: " + tc + "\r\nvideo format: " + videoFormat(rate) + "\r\nloop: false\r\n";
}

Session::Outcome Session::clipsGet(const Command& c) const {
    const std::vector<LoggedClip> clips = clips_.clips();
    int first = 1;
    int count = static_cast<int>(clips.size());
    int version = 1;
    for (const auto& [key, value] : c.params) {
        auto n = parseNumber(value);
        if (key != "clip id" && key != "count" && key != "version")
            return {reply(101)};
        if (!n || *n < 0)
            return {reply(102)};
        if (key == "clip id")
            first = *n;
        else if (key == "count")
            count = *n;
        else
            version = *n;
    }
    if (version != 1 && version != 2)
        return {reply(102)};
    const core::FrameRate rate = deck_.frameRate();
    std::string lines;
    int listed = 0;
    for (int id = std::max(first, 1); id <= static_cast<int>(clips.size()) && listed < count;
         ++id, ++listed) {
        const LoggedClip& clip = clips[static_cast<std::size_t>(id - 1)];
        const std::string start = timecodeText(clip.in, rate);
        const std::string length = durationText(clip.out - clip.in, rate);
        if (version == 2) {
            lines += std::to_string(id) + ": " + start + " " + length + " " + start + " " +
                     timecodeText(clip.out, rate) + " " + clip.name + "\r\n";
        } else {
            // Two blanks after the id: the form switchers were tested with.
            lines += std::to_string(id) + ":  " + clip.name + " " + start + " " + length + "\r\n";
        }
    }
    return {"205 clips info:\r\nclip count: " + std::to_string(listed) + "\r\n" + lines + "\r\n"};
}

Session::Outcome Session::diskList() const {
    const core::FrameRate rate = deck_.frameRate();
    std::string body = "206 disk list:\r\nslot id: 1\r\n";
    const std::vector<LoggedClip> clips = clips_.clips();
    for (std::size_t i = 0; i < clips.size(); ++i) {
        body += std::to_string(i + 1) + ": " + clips[i].name + " tape " + videoFormat(rate) + " " +
                durationText(clips[i].out - clips[i].in, rate) + "\r\n";
    }
    return {body + "\r\n"};
}

std::string Session::notifications(const Snapshot& before, const Snapshot& now) const {
    std::string out;
    const DeckState& a = before.deck;
    const DeckState& b = now.deck;
    if (notify_.transport && (a.transport != b.transport || a.speed != b.speed ||
                              before.clipId != now.clipId || a.tape != b.tape))
        out += "508 transport info:\r\n" + transportBody(now) + "\r\n";
    if (notify_.slot && a.tape != b.tape)
        out += "502 slot info:\r\n" + slotBody(b) + "\r\n";
    if (notify_.remote && a.remote != b.remote)
        out += std::string("510 remote info:\r\nenabled: ") + flag(b.remote) +
               "\r\noverride: false\r\n\r\n";
    if (notify_.displayTimecode && a.frames != b.frames)
        out += "513 display timecode:\r\ndisplay timecode: " +
               timecodeText(b.frames, deck_.frameRate()) + "\r\n\r\n";
    return out;
}

}  // namespace vemo::recorder
