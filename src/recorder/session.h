#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "recorder/clip_list.h"
#include "recorder/message.h"
#include "recorder/recorder_deck.h"

namespace vemo::recorder {

// The protocol version the console answers as: switchers refuse anything below 1.8, and the
// display-time-code message came with 1.11.
inline constexpr const char* kProtocolVersion = "1.11";

// What a controller sees of the deck at one moment: compared between two moments, it says
// which asynchronous messages are due.
struct Snapshot {
    DeckState deck;
    std::optional<int> clipId;  // the logged clip the time code lies in, from 1
};
Snapshot takeSnapshot(const RecorderDeck& deck, const std::vector<LoggedClip>& clips);

// The asynchronous messages a controller asked for.
struct NotifyFlags {
    bool transport = false;
    bool slot = false;
    bool remote = false;
    bool configuration = false;
    bool displayTimecode = false;
    bool timelinePosition = false;
    bool playrange = false;
};

struct SessionOptions {
    bool recordAllowed = false;  // RecorderServerRecord=YES
};

// One controller's conversation: its lines in, exactly one reply out per command, and its
// notification choices. Knows nothing of sockets; the server calls it on its deck thread.
class Session {
  public:
    struct Outcome {
        std::string reply;  // whole lines, each ending in CR LF
        bool close = false;
    };

    Session(RecorderDeck& deck, const ClipSource& clips, SessionOptions options);

    // The 500 message a controller gets on connecting.
    static std::string banner(const RecorderDeck& deck);
    // What a controller past the limit gets before it is closed.
    static std::string rejected();

    // One received line. Nothing for a blank line or while a multi-line command ("name:"
    // alone, then "key: value" lines up to an empty line) is being collected.
    std::optional<Outcome> feed(std::string_view line);
    // The asynchronous messages due for what changed between two looks at the deck.
    std::string notifications(const Snapshot& before, const Snapshot& now) const;
    // The period the controller promised a command within (0: none).
    int watchdogSeconds() const { return watchdog_; }
    const NotifyFlags& notify() const { return notify_; }

  private:
    Outcome run(const Command& c);
    std::string reply(int code) const;
    // Info replies and messages (session_info.cpp).
    Outcome help() const;
    Outcome notifyCommand(const Command& c);
    Outcome deviceInfo() const;
    Outcome slotInfo(const Command& c) const;
    Outcome clipsGet(const Command& c) const;
    Outcome diskList() const;
    std::string transportBody(const Snapshot& s) const;
    std::string slotBody(const DeckState& s) const;
    // Transport (session_transport.cpp).
    Outcome play(const Command& c);
    Outcome goTo(const Command& c);
    Outcome jog(const Command& c);
    Outcome shuttle(const Command& c);
    Outcome playrange(const Command& c, bool set);
    Outcome cueTo(int frames);
    // A time code, absolute or with + or - relative to the deck's; the reply code on failure.
    std::pair<int, int> targetOf(std::string_view text) const;
    std::optional<int> currentClip(const std::vector<LoggedClip>& clips) const;

    RecorderDeck& deck_;
    const ClipSource& clips_;
    const SessionOptions options_;
    std::optional<std::string> block_;  // a multi-line command being collected
    NotifyFlags notify_;
    int watchdog_ = 0;
    bool singleClip_ = false;
    std::optional<int> lastClip_;               // the clip the controller went to last
    std::optional<std::pair<int, int>> range_;  // the play range, in and out frames
};

}  // namespace vemo::recorder
