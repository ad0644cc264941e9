// The one command table that buttons, remote words and the auxiliary port share.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "deck/commands.h"

namespace vemo::test {
namespace {

using deck::Operation;

TEST(CommandTable, EveryNameLeadsToOneOperation) {
    std::set<std::string_view> remote, buttons;
    std::set<int> aux;
    for (const deck::Command& c : deck::commandTable()) {
        EXPECT_TRUE(remote.insert(c.remoteWord).second) << c.remoteWord;
        EXPECT_EQ(deck::byRemoteWord(c.remoteWord, false), c.operation) << c.remoteWord;
        // The recorder offers only what every deck has.
        EXPECT_EQ(deck::byRemoteWord(c.remoteWord, true).has_value(), c.decks == deck::Decks::All)
            << c.remoteWord;
        if (!c.buttonWord.empty()) {
            EXPECT_TRUE(buttons.insert(c.buttonWord).second) << c.buttonWord;
            EXPECT_EQ(deck::byButtonWord(c.buttonWord), c.operation) << c.buttonWord;
        }
        if (c.auxByte != 0) {
            EXPECT_TRUE(aux.insert(c.auxByte).second);
            EXPECT_EQ(deck::byAuxByte(c.auxByte), c.operation);
        }
    }
    // Names are exact: no case folding, no blanks, and the window's spellings are its own.
    for (const char* none : {"play", "Play ", "", "SbyOn "})
        EXPECT_FALSE(deck::byRemoteWord(none, false).has_value()) << none;
    EXPECT_EQ(deck::byButtonWord("Sbyon"), Operation::SbyOn);
    EXPECT_EQ(deck::byRemoteWord("SbyOn", false), Operation::SbyOn);
    EXPECT_FALSE(deck::byButtonWord("Jogf").has_value()) << "the window's jog is a sequence";
    EXPECT_EQ(aux, (std::set<int>{0x42, 0x43, 0x44, 0x45}));
}

}  // namespace
}  // namespace vemo::test
