// The main window while the deck does not answer: the time code greyed with "no deck", and
// the live time code back with the first valid reply.
#include <QLineEdit>
#include <atomic>

#include "deck/protocol.h"
#include "ui/main_window_fixture.h"

namespace vemo::test {
namespace {

TEST_F(MainWindowTest, ADeckThatStopsAnsweringGreysTheTimeCodeWithNoDeck) {
    make();
    std::atomic<bool> answers{true};
    port.setReply([&](const Bytes& f) {
        if (!answers || f != Bytes(deck::protocol::bsgettc.begin(), deck::protocol::bsgettc.end()))
            return serial::ExchangeResult{};
        return FakeCommandPort::answer({0x74, 0x04, 0x05, 0x04, 0x03, 0x02, 0x86});
    });
    vcr->GetTC();
    auto* tc = child<QLineEdit>("tcfield");
    QTRY_COMPARE(tc->text(), QString("02:03:04:05"));
    EXPECT_TRUE(tc->isEnabled());

    answers = false;
    QTRY_COMPARE_WITH_TIMEOUT(tc->text(), QString("no deck"), 20000);
    EXPECT_FALSE(tc->isEnabled());
    EXPECT_FALSE(vcr->deckAnswering());

    answers = true;
    QTRY_COMPARE_WITH_TIMEOUT(tc->text(), QString("02:03:04:05"), 20000);
    EXPECT_TRUE(tc->isEnabled());
}

}  // namespace
}  // namespace vemo::test
