// One controller's session: each command line, its one reply and what reaches the deck.
#include "recorder/session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_recorder_deck.h"

namespace vemo::recorder {
namespace {

using test::FakeRecorderDeck;

struct Case {
    const char* line;
    const char* reply;          // the whole reply, or its first line when `body` is set
    const char* deckCall = "";  // the one deck operation expected, "" for none
    const char* body = "";      // a line the body must hold
};

class SessionTest : public ::testing::Test {
  protected:
    SessionTest() { clips_.set(test::threeClips()); }

    Session make(bool record = false) { return Session(deck_, clips_, SessionOptions{record}); }

    void check(Session& s, const Case& c) {
        SCOPED_TRACE(c.line);
        const std::size_t before = deck_.calls().size();
        auto out = s.feed(c.line);
        ASSERT_TRUE(out.has_value());
        if (*c.body == '\0') {
            EXPECT_EQ(out->reply, std::string(c.reply) + "\r\n");
        } else {
            EXPECT_EQ(out->reply.rfind(std::string(c.reply) + "\r\n", 0), 0u) << out->reply;
            EXPECT_NE(out->reply.find(std::string("\r\n") + c.body + "\r\n"), std::string::npos)
                << out->reply;
            EXPECT_EQ(out->reply.substr(out->reply.size() - 4), "\r\n\r\n");
        }
        const auto calls = deck_.calls();
        if (*c.deckCall == '\0') {
            EXPECT_EQ(calls.size(), before);
        } else {
            ASSERT_EQ(calls.size(), before + 1);
            EXPECT_EQ(calls.back(), c.deckCall);
        }
    }

    FakeRecorderDeck deck_;
    SharedClipList clips_;
};

TEST_F(SessionTest, EachCommandGetsItsReplyAndItsDeckOperation) {
    const Case cases[] = {
        {"ping", "200 ok"},
        {"watchdog: period: 6", "200 ok"},
        {"watchdog: period: soon", "102 invalid value"},
        {"help", "201 help:", "", "jog: timecode: +TC, shuttle: speed: S"},
        {"?", "201 help:", "", "ping, watchdog: period: N, help, quit"},
        {"device info", "204 device info:", "", "protocol version: 1.11"},
        {"device info", "204 device info:", "", "slot count: 1"},
        {"slot info", "202 slot info:", "", "status: mounted"},
        {"slot info: slot id: 1", "202 slot info:", "", "video format: 1080p30"},
        {"slot info: slot id: 2", "102 invalid value"},
        {"transport info", "208 transport info:", "", "status: stopped"},
        {"transport info", "208 transport info:", "", "timecode: 00:00:00:00"},
        {"remote", "210 remote info:", "", "enabled: true"},
        {"remote: enable: false", "103 unsupported"},
        {"configuration", "211 configuration:", "", "video input: SDI"},
        {"clips count", "214 clips count:", "", "clip count: 3"},
        {"clips get", "205 clips info:", "", "2:  Interview take 2 00:00:30:00 00:00:10:00"},
        {"clips get: version: 2", "205 clips info:", "",
         "3: 00:01:00:00 00:00:01:00 00:01:00:00 00:01:01:00 End"},
        {"clips get: clip id: 2 count: 1", "205 clips info:", "", "clip count: 1"},
        {"clips get: version: 3", "102 invalid value"},
        {"disk list", "206 disk list:", "", "1: Intro tape 1080p30 00:00:10:00"},
        {"play", "200 ok", "play"},
        {"play: speed: 100", "200 ok", "play"},
        {"play: speed: 200", "200 ok", "shuttle 200"},
        {"play: speed: -50", "200 ok", "shuttle -50"},
        {"play: speed: 0", "200 ok", "stop"},
        {"play: speed: 9000", "102 invalid value"},
        {"play: loop: true", "103 unsupported"},
        {"play: colour: red", "101 unsupported parameter"},
        {"stop", "200 ok", "stop"},
        {"record", "103 unsupported"},
        {"goto: timecode: 00:00:05:00", "200 ok", "cue 150"},
        {"goto: timecode: 00:00:05;00", "200 ok", "cue 150"},
        {"goto: timecode: 00:00:05:30", "102 invalid value"},
        {"goto: timecode: 5 seconds", "100 syntax error"},
        {"goto: timecode: +00:00:01:00", "200 ok", "cue 30"},
        {"goto: timecode: -00:00:01:00", "109 out of range"},
        {"goto: clip id: 2", "200 ok", "cue 900"},
        {"goto: clip id: +1", "200 ok", "cue 1800"},
        {"goto: clip id: -2", "200 ok", "cue 300"},
        {"goto: clip id: 4", "109 out of range"},
        {"goto: clip: end", "200 ok", "cue 599"},
        {"goto: timeline: start", "200 ok", "cue 300"},
        {"goto: timeline: end", "200 ok", "cue 1829"},
        {"goto: timeline: middle", "102 invalid value"},
        {"goto", "100 syntax error"},
        {"goto: clip id: 1 timecode: 00:00:01:00", "101 unsupported parameter"},
        {"jog: timecode: +00:00:00:10", "200 ok", "cue 10"},
        {"shuttle: speed: -400", "200 ok", "shuttle -400"},
        {"shuttle: speed: 100", "200 ok", "play"},
        {"shuttle", "100 syntax error"},
        {"playrange set: in: 00:00:01:00 out: 00:00:02:00", "200 ok"},
        {"play", "200 ok", "range 30 60"},
        {"playrange clear", "200 ok"},
        {"playrange set: clip id: 3", "200 ok"},
        {"play", "200 ok", "range 1800 1830"},
        {"playrange set: in: 00:00:02:00 out: 00:00:01:00", "102 invalid value"},
        {"notify", "209 notify:", "", "transport: false"},
        {"notify: transport: true slot: true", "200 ok"},
        {"notify", "209 notify:", "", "slot: true"},
        {"notify: transport: maybe", "102 invalid value"},
        {"notify: weather: true", "101 unsupported parameter"},
        {"format: prepare: exFAT", "103 unsupported"},
        {"fly", "100 syntax error"},
        {"ping: now:", "100 syntax error"},
        {"ping: now: 1", "101 unsupported parameter"},
    };
    Session s = make();
    for (const Case& c : cases)
        check(s, c);
}

TEST_F(SessionTest, SingleClipPlaysTheClipWentToAsAReview) {
    Session s = make();
    check(s, {"goto: clip id: 2", "200 ok", "cue 900"});
    check(s, {"play: single clip: true", "200 ok", "range 900 1200"});
    check(s, {"transport info", "208 transport info:", "", "single clip: true"});
    check(s, {"play: single clip: true speed: 200", "103 unsupported"});
}

TEST_F(SessionTest, WithoutLoggedClipsClipCommandsSayTheTimelineIsEmpty) {
    clips_.set({});
    Session s = make();
    for (const char* line : {"goto: clip id: 1", "goto: clip: start", "goto: timeline: end",
                             "play: single clip: true", "playrange set: clip id: 1"}) {
        check(s, {line, "107 timeline empty"});
    }
    check(s, {"clips get", "205 clips info:", "", "clip count: 0"});
    check(s, {"goto: timeline: start", "200 ok", "cue 0"});
}

TEST_F(SessionTest, RecordReachesTheDeckOnlyWhenAllowed) {
    Session refused = make(false);
    check(refused, {"record", "103 unsupported"});
    Session allowed = make(true);
    check(allowed, {"record", "200 ok", "record"});
}

TEST_F(SessionTest, TimeCodesFollowTheFrameRate) {
    deck_.rate = core::FrameRate::Df2997;
    deck_.setState({Transport::play, 100, 1800, true, true});  // 00:01:00;02 in drop-frame
    Session s = make();
    check(s, {"transport info", "208 transport info:", "", "timecode: 00:01:00;02"});
    check(s, {"transport info", "208 transport info:", "", "video format: 1080i5994"});
    check(s, {"goto: timecode: 00:01:00;00", "102 invalid value"});  // a skipped label
    check(s, {"goto: timecode: 00:01:00;02", "200 ok", "cue 1800"});
    deck_.rate = core::FrameRate::Fps25;
    check(s, {"goto: timecode: 00:00:01:24", "200 ok", "cue 49"});
    check(s, {"goto: timecode: 00:00:01:25", "102 invalid value"});
}

TEST_F(SessionTest, ALX1HasNoVariableSpeed) {
    deck_.jogAndShuttle = false;
    Session s = make();
    check(s, {"shuttle: speed: 200", "103 unsupported"});
    check(s, {"play: speed: 200", "103 unsupported"});
    check(s, {"play", "200 ok", "play"});
}

TEST_F(SessionTest, MultiLineCommandsAnswerAtTheirEmptyLine) {
    Session s = make();
    EXPECT_FALSE(s.feed("goto:"));
    EXPECT_FALSE(s.feed("clip id: 3"));
    auto out = s.feed("");
    ASSERT_TRUE(out);
    EXPECT_EQ(out->reply, "200 ok\r\n");
    EXPECT_EQ(deck_.calls().back(), "cue 1800");
    EXPECT_FALSE(s.feed(""));  // a blank line is no command
}

TEST_F(SessionTest, QuitAnswersAndCloses) {
    Session s = make();
    auto out = s.feed("quit");
    ASSERT_TRUE(out);
    EXPECT_EQ(out->reply, "200 ok\r\n");
    EXPECT_TRUE(out->close);
}

TEST_F(SessionTest, SubscribedChangesBecomeAsynchronousMessages) {
    Session s = make();
    const auto clips = clips_.clips();
    const Snapshot stopped = takeSnapshot(deck_, clips);
    deck_.setState({Transport::play, 100, 905, true, true});
    const Snapshot playing = takeSnapshot(deck_, clips);
    EXPECT_EQ(playing.clipId, 2);
    EXPECT_EQ(s.notifications(stopped, playing), "");  // nothing asked for yet
    ASSERT_TRUE(s.feed("notify: transport: true display timecode: true remote: true"));
    const std::string text = s.notifications(stopped, playing);
    EXPECT_EQ(text.rfind("508 transport info:\r\nstatus: play\r\nspeed: 100\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("clip id: 2\r\n"), std::string::npos);
    EXPECT_NE(text.find("513 display timecode:\r\ndisplay timecode: 00:00:30:05\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("510 "), std::string::npos);
    deck_.setState({Transport::play, 100, 906, false, false});
    const Snapshot gone = takeSnapshot(deck_, clips);
    const std::string after = s.notifications(playing, gone);
    EXPECT_NE(after.find("510 remote info:\r\nenabled: false\r\n"), std::string::npos);
    EXPECT_EQ(after.find("502 "), std::string::npos);  // slots were not asked for
}

TEST(ClipListTest, KeepsNamedClipsWhoseOutComesAfterTheirIn) {
    SharedClipList list;
    list.set({{"A", 10, 20}, {"", 10, 20}, {"B", 20, 20}, {"C", 30, 10}, {"D", 0, 1}});
    const auto clips = list.clips();
    ASSERT_EQ(clips.size(), 2u);
    EXPECT_EQ(clips[0].name, "A");
    EXPECT_EQ(clips[1].name, "D");
}

TEST(ClipListTest, TheLoggersTableGivesItsNamedValidEntries) {
    core::LoggerTable table;  // "Name01"... with every time 00:00:00:00
    table.SrcInArray[0] = "00:00:10:00";
    table.SrcOutArray[0] = "00:00:12:00";
    table.SrcInArray[1] = "00:00:20:00";   // out not after in
    table.SrcOutArray[2] = "00:00:05:00";  // in 00:00:00:00
    table.ClipNameArray[3] = "";
    table.SrcOutArray[3] = "00:00:09:00";
    table.SrcInArray[4] = "00:00:61:00";  // no time
    table.SrcOutArray[4] = "00:01:02:00";
    const auto clips = clipsOfTable(table, core::FrameRate::Fps25);
    ASSERT_EQ(clips.size(), 2u);
    EXPECT_EQ(clips[0].name, "Name01");
    EXPECT_EQ(clips[0].in, 250);
    EXPECT_EQ(clips[0].out, 300);
    EXPECT_EQ(clips[1].name, "Name03");
    EXPECT_EQ(clips[1].out, 125);
}

TEST(CommandParseTest, NamesKeysAndValues) {
    auto c = parseCommand("playrange set: in: 00:00:01:00 out: 00:00:02:00");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->name, "playrange set");
    EXPECT_EQ(c->param("in"), "00:00:01:00");
    EXPECT_EQ(c->param("out"), "00:00:02:00");
    auto two = parseCommand("slot info: slot id: 1");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->param("slot id"), "1");
    for (const char* bad : {"", ": x: 1", "goto: clip id:", "goto: clip id 1", "goto: : 1"})
        EXPECT_FALSE(parseCommand(bad)) << bad;
}

}  // namespace
}  // namespace vemo::recorder
