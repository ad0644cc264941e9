// The disk-recorder server over real TCP connections, with a fake deck behind it.
#include "recorder/recorder_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "fake_recorder_deck.h"
#include "remote/tcp_client.h"
#include "support/process.h"

namespace vemo::recorder {
namespace {

using namespace std::chrono_literals;
using remote::test::TcpClient;
using vemo::test::waitFor;

class RecorderServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clips_.set(test::threeClips());
        config_.server.host = "127.0.0.1";
        config_.server.keepAlive = {1, 1, 2};
    }
    void start() { ASSERT_TRUE(server_.start(config_)) << server_.failure(); }

    // A controller that has read its banner.
    std::unique_ptr<TcpClient> controller() {
        auto c = std::make_unique<TcpClient>(server_.port());
        EXPECT_EQ(c->readLine(), "500 connection info:");
        EXPECT_EQ(c->readLine(), "protocol version: 1.11");
        EXPECT_EQ(c->readLine(), "model: Vemo RECON");
        EXPECT_EQ(c->readLine(), "");
        return c;
    }
    // The lines of one reply: its first line and, for a reply with a body, up to the empty line.
    static std::vector<std::string> reply(TcpClient& c) {
        std::vector<std::string> lines;
        auto first = c.readLine();
        if (!first)
            return lines;
        lines.push_back(*first);
        if (first->back() != ':')
            return lines;
        while (auto line = c.readLine()) {
            lines.push_back(*line);
            if (line->empty())
                break;
        }
        return lines;
    }

    test::FakeRecorderDeck deck_;
    SharedClipList clips_;
    RecorderConfig config_;
    RecorderServer server_{deck_, clips_};
};

TEST_F(RecorderServerTest, CommandsSentTogetherAreAnsweredOnceEachInOrder) {
    start();
    auto c = controller();
    ASSERT_TRUE(c->write("ping\r\ntransport info\nfly\r\ngoto: clip id: 2\r\nquit\r\n"));
    EXPECT_EQ(reply(*c).front(), "200 ok");
    auto info = reply(*c);
    ASSERT_EQ(info.size(), 11u);
    EXPECT_EQ(info.front(), "208 transport info:");
    EXPECT_EQ(reply(*c).front(), "100 syntax error");
    EXPECT_EQ(reply(*c).front(), "200 ok");
    EXPECT_EQ(reply(*c).front(), "200 ok");  // quit
    EXPECT_TRUE(c->waitClosed());
    EXPECT_EQ(deck_.calls(), std::vector<std::string>{"cue 900"});
    EXPECT_TRUE(waitFor([&] { return server_.connections() == 0; }));
}

TEST_F(RecorderServerTest, OneControllerPastTheLimitIsRejectedWithTheProtocolsCode) {
    config_.clients = 2;
    start();
    auto a = controller();
    auto b = controller();
    ASSERT_TRUE(waitFor([&] { return server_.connections() == 2; }));
    TcpClient third(server_.port());
    EXPECT_EQ(third.readLine(), "120 connection rejected");
    EXPECT_TRUE(third.waitClosed());
    // The first two are served as before; once one goes, a newcomer gets in.
    ASSERT_TRUE(b->write("ping\r\n"));
    EXPECT_EQ(b->readLine(), "200 ok");
    a->close();
    ASSERT_TRUE(waitFor([&] { return server_.connections() == 1; }));
    auto d = controller();
    ASSERT_TRUE(d->write("ping\r\n"));
    EXPECT_EQ(d->readLine(), "200 ok");
}

TEST_F(RecorderServerTest, SubscribedControllersHearTheDeckChange) {
    start();
    auto watching = controller();
    auto quiet = controller();
    ASSERT_TRUE(watching->write("notify: transport: true\r\n"));
    EXPECT_EQ(watching->readLine(), "200 ok");
    deck_.setState({Transport::play, 100, 950, true, true});
    auto message = reply(*watching);
    ASSERT_FALSE(message.empty());
    EXPECT_EQ(message.front(), "508 transport info:");
    EXPECT_EQ(message.at(1), "status: play");
    EXPECT_EQ(message.at(4), "clip id: 2");
    // The other controller asked for nothing: its next line is the reply to its own ping.
    ASSERT_TRUE(quiet->write("ping\r\n"));
    EXPECT_EQ(quiet->readLine(), "200 ok");
}

TEST_F(RecorderServerTest, AControllerSilentPastItsWatchdogIsClosed) {
    start();
    auto c = controller();
    ASSERT_TRUE(c->write("watchdog: period: 1\r\n"));
    EXPECT_EQ(c->readLine(), "200 ok");
    EXPECT_TRUE(c->waitClosed(30s));
}

TEST_F(RecorderServerTest, AnAddressOutsideTheAllowListIsClosedUngreeted) {
    config_.server.allow = *remote::AllowList::parse("10.0.0.0/8");
    start();
    TcpClient c(server_.port());
    EXPECT_TRUE(c.waitClosed());
    EXPECT_FALSE(c.readLine(100ms).has_value());
}

TEST_F(RecorderServerTest, StopsWithControllersConnected) {
    start();
    auto a = controller();
    auto b = controller();
    server_.stop();
    EXPECT_TRUE(a->waitClosed());
    EXPECT_TRUE(b->waitClosed());
    EXPECT_EQ(server_.port(), -1);
}

}  // namespace
}  // namespace vemo::recorder
