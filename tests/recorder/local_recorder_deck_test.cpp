// The console's deck as the recorder server sees it: the slot and remote states follow the
// deck's own status reports.
#include "recorder/local_recorder_deck.h"

#include <gtest/gtest.h>

#include "core/settings.h"
#include "deck/local_vcr.h"
#include "support/fake_deck.h"
#include "support/process.h"

namespace vemo::recorder {
namespace {

using vemo::test::waitFor;

TEST(LocalRecorderDeckTest, SlotAndRemoteFollowTheDecksOwnReports) {
    vemo::test::FakeDeck deck;
    core::Settings settings;
    settings.recon = true;  // the quickest polling
    deck::LocalVCR vcr(&deck, settings);
    vcr.GetTC();
    LocalRecorderDeck recorder(vcr);
    auto state = [&] { return recorder.state(); };
    ASSERT_TRUE(
        waitFor([&] { return deck.count(vemo::test::bytesOf(deck::protocol::bsstatus)) > 1; }));
    EXPECT_TRUE(state().tape);
    EXPECT_TRUE(state().remote);
    deck.tapeOut = true;
    EXPECT_TRUE(waitFor([&] { return !state().tape; }));
    EXPECT_TRUE(state().remote);
    deck.tapeOut = false;
    deck.local = true;
    EXPECT_TRUE(waitFor([&] { return state().tape && !state().remote; }));
    vcr.stopPolling();
}

}  // namespace
}  // namespace vemo::recorder
