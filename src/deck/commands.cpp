#include "deck/commands.h"

#include <array>

#include "deck/local_vcr.h"

namespace vemo::deck {
namespace {

using O = Operation;
constexpr std::array kTable{
    Command{O::Play, "Play", "Play", 0x45, Decks::All},
    Command{O::Pause, "Pause", "Pause", 0, Decks::All},
    Command{O::Stop, "Stop", "Stop", 0x44, Decks::All},
    Command{O::Forward, "Forward", "Forward", 0x43, Decks::All},
    Command{O::Rewind, "Rewind", "Rewind", 0x42, Decks::All},
    Command{O::Record, "Record", "Record", 0, Decks::All},
    Command{O::CueIn, "CueIn", "Cue", 0, Decks::All},
    Command{O::CueOut, "CueOut", "CueOut", 0, Decks::All},
    Command{O::CuePlay, "CuePlay", "Cueplay", 0, Decks::All},
    Command{O::Review, "Review", "Review", 0, Decks::All},
    // The window's jog and EE-off buttons run timed sequences of their own.
    Command{O::JogF, "JogF", "", 0, Decks::NotLX1},
    Command{O::JogR, "JogR", "", 0, Decks::NotLX1},
    Command{O::Fast2, "Fast2", "Fast2", 0, Decks::NotLX1},
    Command{O::Fast5, "Fast5", "Fast5", 0, Decks::NotLX1},
    Command{O::Slow5, "Slow5", "Slow5", 0, Decks::NotLX1},
    Command{O::Slow3, "Slow3", "Slow3", 0, Decks::NotLX1},
    Command{O::Slow2, "Slow2", "Slow2", 0, Decks::NotLX1},
    Command{O::EEOn, "EEOn", "EEOn", 0, Decks::NotLX1},
    Command{O::EEOff, "EEOff", "", 0, Decks::NotLX1},
    Command{O::SbyOn, "SbyOn", "Sbyon", 0, Decks::NotLX1},
    Command{O::SbyOff, "SbyOff", "Sbyoff", 0, Decks::NotLX1},
};

template <typename Match>
std::optional<Operation> find(Match match) {
    for (const Command& c : kTable) {
        if (match(c))
            return c.operation;
    }
    return std::nullopt;
}

}  // namespace

std::span<const Command> commandTable() {
    return kTable;
}

std::optional<Operation> byRemoteWord(std::string_view word, bool lx1) {
    return find(
        [&](const Command& c) { return c.remoteWord == word && (c.decks == Decks::All || !lx1); });
}

std::optional<Operation> byButtonWord(std::string_view word) {
    return find([&](const Command& c) { return !c.buttonWord.empty() && c.buttonWord == word; });
}

std::optional<Operation> byAuxByte(std::uint8_t second) {
    return find([&](const Command& c) { return c.auxByte != 0 && c.auxByte == second; });
}

void perform(LocalVCR& v, Operation operation) {
    switch (operation) {
        case O::Play:
            v.play();
            break;
        case O::Pause:
            v.pause();
            break;
        case O::Stop:
            v.stop();
            break;
        case O::Forward:
            v.forward();
            break;
        case O::Rewind:
            v.rewind();
            break;
        case O::Record:
            v.record();
            break;
        // A cue or review that cannot start tells the operator why itself.
        case O::CueIn:
            v.cue();
            break;
        case O::CueOut:
            v.cueout();
            break;
        case O::CuePlay:
            v.cueplay();
            break;
        case O::Review:
            v.reviewclip();
            break;
        case O::JogF:
            v.jogf();
            break;
        case O::JogR:
            v.jogr();
            break;
        case O::Fast2:
            v.fasttwo();
            break;
        case O::Fast5:
            v.fastfive();
            break;
        case O::Slow5:
            v.slowfifth();
            break;
        case O::Slow3:
            v.slowthird();
            break;
        case O::Slow2:
            v.slowhalf();
            break;
        case O::EEOn:
            v.eeon();
            break;
        case O::EEOff:
            v.eeoff();
            break;
        case O::SbyOn:
            v.sbyon();
            break;
        case O::SbyOff:
            v.sbyoff();
            break;
    }
}

}  // namespace vemo::deck
