#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vemo::deck {

class LocalVCR;

// Deck operations that a button, a remote word and an auxiliary-port message all reach.
enum class Operation {
    Play,
    Pause,
    Stop,
    Forward,
    Rewind,
    Record,
    CueIn,
    CueOut,
    CuePlay,
    Review,
    JogF,
    JogR,
    Fast2,
    Fast5,
    Slow5,
    Slow3,
    Slow2,
    EEOn,
    EEOff,
    SbyOn,
    SbyOff
};

// Which decks offer an operation to remote words (the LX1 recorder has no jog, variable
// speed, EE or standby). Buttons follow the window's layout instead.
enum class Decks { All, NotLX1 };

// One row of the command table: the operation, the remote word (network and scripts), the
// main window's action word (empty: the button runs a sequence of its own, or there is
// none), the second byte of its auxiliary-port message after 80 (0: none), and the decks.
struct Command {
    Operation operation;
    std::string_view remoteWord;
    std::string_view buttonWord;
    std::uint8_t auxByte;
    Decks decks;
};

// The whole table, in the order the remote vocabulary tests its words.
std::span<const Command> commandTable();

// Looks an operation up by each of its names; nothing when no row has it.
std::optional<Operation> byRemoteWord(std::string_view word, bool lx1);
std::optional<Operation> byButtonWord(std::string_view word);
std::optional<Operation> byAuxByte(std::uint8_t second);

// Performs the operation's own deck step (one frame, or the start of a cue or review).
void perform(LocalVCR& vcr, Operation operation);

}  // namespace vemo::deck
