// Drives the real deck simulator over its pseudo-terminal, with a raw line opened here and
// frames built by hand, so that the simulator is checked apart from the console's own code.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using vemo::test::builtProgram;
using vemo::test::ChildProcess;
using vemo::test::TempDir;
using vemo::test::waitFor;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const Bytes timeSense{0x61, 0x0C, 0x03, 0x70};
const Bytes statusSense{0x61, 0x20, 0x09, 0x8A};
const Bytes play{0x20, 0x01, 0x21};
const Bytes stop{0x20, 0x00, 0x20};
const Bytes ack{0x10, 0x01, 0x11};

std::uint8_t sum(const Bytes& b, std::size_t n) {
    unsigned s = 0;
    for (std::size_t i = 0; i < n; ++i)
        s += b[i];
    return static_cast<std::uint8_t>(s);
}

int bcd(std::uint8_t b) {
    return (b >> 4) * 10 + (b & 0x0F);
}

// Frame count of a time data reply.
long framesOf(const Bytes& r) {
    return ((bcd(r[5] & 0x3F) * 60L + bcd(r[4])) * 60L + bcd(r[3])) * 30L + bcd(r[2] & 0x3F);
}

// The console's side of the line: raw, non-blocking.
class Line {
  public:
    explicit Line(const std::filesystem::path& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            return;
        termios t{};
        ::tcgetattr(fd_, &t);
        ::cfmakeraw(&t);
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        ::tcsetattr(fd_, TCSANOW, &t);
    }
    ~Line() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }

    Bytes read(std::size_t want, std::chrono::milliseconds limit) {
        Bytes got;
        auto deadline = Clock::now() + limit;
        while (got.size() < want) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            std::uint8_t buf[64];
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0)
                got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
    // Writes a frame and takes the reply: want bytes, or what came within the limit.
    Bytes exchange(const Bytes& frame, std::size_t want, std::chrono::milliseconds limit = 2000ms) {
        read(1000, 0ms);  // nothing stale
        EXPECT_EQ(::write(fd_, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
        return read(want, limit);
    }
    Bytes status() { return exchange(statusSense, 12); }
    // The line would take a byte now.
    bool canWrite() {
        pollfd p{fd_, POLLOUT, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & POLLOUT) != 0;
    }
    // The far end went away: the descriptor is hung up.
    bool hungUp() {
        pollfd p{fd_, POLLOUT, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP) != 0;
    }
    long frames() {
        Bytes r = exchange(timeSense, 7);
        EXPECT_EQ(r.size(), 7u);
        return r.size() == 7 ? framesOf(r) : -1;
    }

  private:
    int fd_ = -1;
};

// One simulator run in a temporary folder, its link in that folder.
class Sim {
  public:
    explicit Sim(std::vector<std::string> args = {}) {
        link_ = dir_.file("deck");
        log_ = dir_.file("decksim.log");
        args.insert(args.begin(), {"--link", link_.string(), "--log", log_.string()});
        proc_ = std::make_unique<ChildProcess>(builtProgram("tools/decksim/vemo-decksim"), args,
                                               dir_.path());
        ready_ = waitFor([&] { return std::filesystem::is_symlink(link_); }, 10s);
    }
    bool ready() const { return ready_; }
    const std::filesystem::path& link() const { return link_; }
    ChildProcess& process() { return *proc_; }
    std::vector<std::string> logLines() const {
        std::ifstream in(log_);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }

  private:
    TempDir dir_;
    std::filesystem::path link_;
    std::filesystem::path log_;
    std::unique_ptr<ChildProcess> proc_;
    bool ready_ = false;
};

TEST(DeckSim, TimeSenseGivesStartTimeWithChecksum) {
    Sim sim({"--start", "01:02:03:04"});
    ASSERT_TRUE(sim.ready()) << sim.process().output();
    Line line(sim.link());
    ASSERT_TRUE(line.isOpen());
    Bytes r = line.exchange(timeSense, 7);
    ASSERT_EQ(r, (Bytes{0x74, 0x04, 0x04, 0x03, 0x02, 0x01, sum(r, 6)}));
    EXPECT_EQ(r[6], 0x82);
}

TEST(DeckSim, PlayAdvancesAtThirtyFramesASecondAndStopHolds) {
    Sim sim;
    ASSERT_TRUE(sim.ready()) << sim.process().output();
    Line line(sim.link());
    EXPECT_EQ(line.status()[3] & 0x20, 0x20);
    ASSERT_EQ(line.exchange(play, 3), ack);

    auto before0 = Clock::now();
    long f0 = line.frames();
    auto after0 = Clock::now();
    std::this_thread::sleep_for(1s);
    auto before1 = Clock::now();
    long f1 = line.frames();
    auto after1 = Clock::now();
    // The samples were taken somewhere inside each exchange.
    auto frames = [](Clock::duration d) { return std::chrono::duration<double>(d).count() * 30; };
    EXPECT_GE(f1 - f0, frames(before1 - after0) - 2);
    EXPECT_LE(f1 - f0, frames(after1 - before0) + 2);

    Bytes s = line.status();
    ASSERT_EQ(s.size(), 12u);
    EXPECT_EQ(s[0], 0x79);
    EXPECT_EQ(s[1], 0x20);
    EXPECT_EQ(s[11], sum(s, 11));
    EXPECT_EQ(s[3], 0x01);

    ASSERT_EQ(line.exchange(stop, 3), ack);
    EXPECT_EQ(line.status()[3], 0x20);
    long held = line.frames();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(line.frames(), held);
}

TEST(DeckSim, CueReportsPreCueThenCompleteAtThePoint) {
    Sim sim({"--start", "01:00:00:00"});
    ASSERT_TRUE(sim.ready()) << sim.process().output();
    Line line(sim.link());
    // 24 31 ff ss mm hh: 00:00:10:00.
    ASSERT_EQ(line.exchange({0x24, 0x31, 0x00, 0x10, 0x00, 0x00, 0x65}, 3), ack);
    Bytes cueing = line.status();
    ASSERT_EQ(cueing.size(), 12u);
    EXPECT_EQ(cueing[6] & 0x01, 0x01) << "pre-cue while moving to the point";
    EXPECT_EQ(cueing[4] & 0x01, 0x00);

    Bytes s;
    EXPECT_TRUE(waitFor(
        [&] {
            s = line.status();
            return s.size() == 12 && (s[4] & 0x01) != 0;
        },
        20s));
    EXPECT_EQ(s[6] & 0x01, 0x00);
    EXPECT_EQ(s[3] & 0x20, 0x20);
    EXPECT_EQ(line.frames(), 300);

    // Moving off the point clears cue complete.
    ASSERT_EQ(line.exchange(play, 3), ack);
    EXPECT_EQ(line.status()[4] & 0x01, 0x00);
    // A time code that is not one is refused.
    EXPECT_EQ(line.exchange({0x24, 0x31, 0x00, 0x99, 0x00, 0x00, 0xEE}, 4),
              (Bytes{0x11, 0x12, 0x01, 0x24}));
}

TEST(DeckSim, LineErrorsGetNakAndFramingRecovers) {
    Sim sim;
    ASSERT_TRUE(sim.ready()) << sim.process().output();
    Line line(sim.link());
    EXPECT_EQ(line.exchange({0x20, 0x01, 0x22}, 4), (Bytes{0x11, 0x12, 0x04, 0x27}));
    EXPECT_EQ(line.exchange({0x20, 0x99, 0xB9}, 4), (Bytes{0x11, 0x12, 0x01, 0x24}));
    // A frame cut short is given up after the inter-byte time-out.
    EXPECT_EQ(line.exchange({0x24, 0x31, 0x00}, 4), (Bytes{0x11, 0x12, 0x80, 0xA3}));
    EXPECT_EQ(line.exchange(timeSense, 7).size(), 7u);
    EXPECT_EQ(line.exchange(play, 3), ack);
}

TEST(DeckSim, ShuttleFramesWithTrailingZeroAndTheirStatusBits) {
    Sim sim;
    ASSERT_TRUE(sim.ready()) << sim.process().output();
    Line line(sim.link());
    // The console sends shuttle frames with one 00 after them; nothing may answer it.
    Bytes both{0x21, 0x13, 0x40, 0x74, 0x00, 0x61, 0x0C, 0x03, 0x70};
    Bytes r = line.exchange(both, 10);
    ASSERT_EQ(r.size(), 10u);
    EXPECT_EQ(Bytes(r.begin(), r.begin() + 3), ack);
    EXPECT_EQ(r[3], 0x74);
    EXPECT_TRUE(line.read(1, 100ms).empty());
    EXPECT_EQ(line.status()[4], 0x20);

    ASSERT_EQ(line.exchange({0x21, 0x23, 0x40, 0x84, 0x00}, 3), ack);
    EXPECT_EQ(line.status()[4], 0x20 | 0x04);
    ASSERT_EQ(line.exchange({0x21, 0x11, 0x10, 0x42}, 3), ack);
    EXPECT_EQ(line.status()[4], 0x10);
    ASSERT_EQ(line.exchange({0x21, 0x21, 0x10, 0x52}, 3), ack);
    EXPECT_EQ(line.status()[4], 0x10 | 0x04);
    ASSERT_EQ(line.exchange({0x20, 0x05, 0x25}, 3), ack);  // standby on
    ASSERT_EQ(line.exchange(stop, 3), ack);
    EXPECT_EQ(line.status()[3], 0x20 | 0x80);
    for (Bytes f : {Bytes{0x20, 0x02, 0x22}, Bytes{0x20, 0x10, 0x30}, Bytes{0x20, 0x20, 0x40},
                    Bytes{0x20, 0x04, 0x24}, Bytes{0x20, 0x61, 0x81}, Bytes{0x20, 0x60, 0x80},
                    Bytes{0x21, 0x12, 0x36, 0x69}, Bytes{0x41, 0x36, 0x00, 0x77}}) {
        EXPECT_EQ(line.exchange(f, 3), ack) << int(f[1]);
    }
}

TEST(DeckSim, Lx1ReportsNoStandbyShuttleOrJog) {
    Sim sim({"--type", "lx1"});
    ASSERT_TRUE(sim.ready()) << sim.process().output();
    Line line(sim.link());
    ASSERT_EQ(line.exchange({0x20, 0x05, 0x25}, 3), ack);
    EXPECT_EQ(line.status()[3], 0x20);
    ASSERT_EQ(line.exchange({0x21, 0x13, 0x00, 0x34}, 3), ack);  // pause: still
    Bytes s = line.status();
    EXPECT_EQ(s[3], 0x00);
    EXPECT_EQ(s[4] & 0x30, 0x00);
    ASSERT_EQ(line.exchange({0x21, 0x11, 0x10, 0x42}, 3), ack);
    EXPECT_EQ(line.status()[4] & 0x30, 0x00);
}

TEST(DeckSim, TapeStopsAtItsHeadAndTimeWrapsAtTwentyFourHours) {
    {
        Sim sim({"--start", "00:00:00:10"});
        ASSERT_TRUE(sim.ready()) << sim.process().output();
        Line line(sim.link());
        ASSERT_EQ(line.exchange({0x20, 0x20, 0x40}, 3), ack);  // rewind
        EXPECT_TRUE(waitFor([&] { return line.status()[3] == 0x20; }, 10s));
        EXPECT_EQ(line.frames(), 0);
    }
    {
        Sim sim({"--start", "23:59:59:29"});
        ASSERT_TRUE(sim.ready()) << sim.process().output();
        Line line(sim.link());
        ASSERT_EQ(line.exchange({0x20, 0x10, 0x30}, 3), ack);  // fast forward
        EXPECT_TRUE(waitFor([&] { return line.frames() < 30 * 60; }, 10s));
    }
}

TEST(DeckSim, LogHasOneLinePerFrame) {
    Sim sim;
    ASSERT_TRUE(sim.ready()) << sim.process().output();
    Line line(sim.link());
    line.exchange(timeSense, 7);
    line.exchange(play, 3);
    line.exchange({0x20, 0x01, 0x22}, 4);
    std::vector<std::string> lines;
    EXPECT_TRUE(waitFor([&] { return (lines = sim.logLines()).size() >= 3; }, 5s));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d+\.\d{3} 61 0C 03 70 pos=00:00:00:00)")))
        << lines[0];
    EXPECT_TRUE(
        std::regex_match(lines[1], std::regex(R"(\d+\.\d{3} 20 01 21 pos=\d\d:\d\d:\d\d:\d\d)")))
        << lines[1];
    EXPECT_NE(lines[2].find("20 01 22"), std::string::npos);
    EXPECT_NE(lines[2].find("nak=04"), std::string::npos);
}

TEST(DeckSim, FaultOptionsDropAndRefuseReplies) {
    {
        Sim sim({"--drop", "1"});
        ASSERT_TRUE(sim.ready()) << sim.process().output();
        Line line(sim.link());
        EXPECT_TRUE(line.exchange(timeSense, 1, 300ms).empty());
    }
    {
        Sim sim({"--nak", "1"});
        ASSERT_TRUE(sim.ready()) << sim.process().output();
        Line line(sim.link());
        EXPECT_EQ(line.exchange(timeSense, 4), (Bytes{0x11, 0x12, 0x04, 0x27}));
    }
}

TEST(DeckSim, CorruptRepliesBadDigitsAndACueThatNeverCompletes) {
    {
        Sim sim({"--corrupt", "1"});
        ASSERT_TRUE(sim.ready()) << sim.process().output();
        Line line(sim.link());
        Bytes r = line.exchange(timeSense, 7);
        ASSERT_EQ(r.size(), 7u);
        EXPECT_NE(r[6], sum(r, 6)) << "one byte changed: the checksum no longer fits";
        EXPECT_EQ(r[0], 0x74);
    }
    {
        Sim sim({"--bad-digits", "1"});
        ASSERT_TRUE(sim.ready()) << sim.process().output();
        Line line(sim.link());
        Bytes r = line.exchange(timeSense, 7);
        ASSERT_EQ(r.size(), 7u);
        EXPECT_EQ(r[6], sum(r, 6)) << "whole and correct";
        EXPECT_TRUE((r[2] & 0x0F) > 9 || (r[3] & 0x0F) > 9 || (r[4] & 0x0F) > 9 ||
                    (r[5] & 0x0F) > 9);
    }
    {
        Sim sim({"--no-cue-complete"});
        ASSERT_TRUE(sim.ready()) << sim.process().output();
        Line line(sim.link());
        ASSERT_EQ(line.exchange({0x24, 0x31, 0x00, 0x10, 0x00, 0x00, 0x65}, 3), ack);
        // The tape still gets there; only the bit never comes.
        EXPECT_TRUE(
            waitFor([&] { return line.frames() == 300 && (line.status()[6] & 1) == 0; }, 20s));
        EXPECT_EQ(line.status()[4] & 0x01, 0x00);
    }
}

TEST(DeckSim, SignalsStallTheLineAndPullAndReplugIt) {
    Sim sim;
    ASSERT_TRUE(sim.ready()) << sim.process().output();
    {
        Line line(sim.link());
        ASSERT_EQ(line.exchange(play, 3), ack);
        ASSERT_EQ(::kill(sim.process().pid(), SIGUSR1), 0);
        // A stalled line takes no byte: the writes find no room.
        EXPECT_TRUE(waitFor([&] { return !line.canWrite(); }, 10s));
        ASSERT_EQ(::kill(sim.process().pid(), SIGUSR1), 0);
        EXPECT_TRUE(waitFor([&] { return line.canWrite(); }, 10s));
        EXPECT_EQ(line.exchange(stop, 3), ack);

        ASSERT_EQ(::kill(sim.process().pid(), SIGUSR2), 0);
        EXPECT_TRUE(waitFor([&] { return !std::filesystem::exists(sim.link()); }, 10s));
        EXPECT_TRUE(waitFor([&] { return line.hungUp(); }, 10s));
    }
    ASSERT_EQ(::kill(sim.process().pid(), SIGUSR2), 0);
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(sim.link()); }, 10s));
    Line again(sim.link());
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(again.status()[3], 0x20);  // the same deck, still stopped
}

TEST(DeckSim, PacedDelayedReplyStillFitsTheExchange) {
    Sim sim({"--pace", "--reply-delay", "5"});
    ASSERT_TRUE(sim.ready()) << sim.process().output();
    Line line(sim.link());
    auto start = Clock::now();
    Bytes s = line.status();
    auto took = Clock::now() - start;
    ASSERT_EQ(s.size(), 12u);
    EXPECT_EQ(s[11], sum(s, 11));
    // 5 ms delay and 11 more byte times at 0.286 ms: never sooner.
    EXPECT_GE(took, 8ms);
}

TEST(DeckSim, LineSurvivesReopenAndSigtermRemovesLink) {
    Sim sim;
    ASSERT_TRUE(sim.ready()) << sim.process().output();
    {
        Line line(sim.link());
        ASSERT_EQ(line.exchange(play, 3), ack);
    }
    {
        Line again(sim.link());
        ASSERT_TRUE(again.isOpen());
        EXPECT_EQ(again.status()[3], 0x01);
    }
    ASSERT_EQ(::kill(sim.process().pid(), SIGTERM), 0);
    EXPECT_EQ(sim.process().wait(10s), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(sim.link()));
}

TEST(DeckSim, CommandLineMistakesAreRefused) {
    TempDir dir;
    auto program = builtProgram("tools/decksim/vemo-decksim");
    ChildProcess help(program, {"--help"}, dir.path());
    EXPECT_EQ(help.wait(10s), 0);
    EXPECT_NE(help.output().find("--link PATH"), std::string::npos);

    for (std::vector<std::string> args :
         {std::vector<std::string>{},
          {"--link", "x", "--start", "25:00:00:00"},
          {"--link", "x", "--fps", "24"},
          {"--link", "x", "--fps", "25", "--start", "00:00:00:25"},
          {"--link", "x", "--fps", "29.97DF", "--start", "00:01:00;00"},
          {"--link", "x", "--type", "vhs"},
          {"--link", "x", "--reply-delay", "10"},
          {"--link", "x", "--drop", "2"},
          {"--link", "x", "--corrupt", "-1"},
          {"--link", "x", "--bad-digits", "1.5"},
          {"--link", "x", "--no-cue-complete=1"},
          {"--link"}}) {
        ChildProcess bad(program, args, dir.path());
        EXPECT_EQ(bad.wait(10s), 2) << bad.output();
    }

    // A file that is not a link is never replaced.
    dir.write("settings", "keep me");
    ChildProcess refuse(program, {"--link", dir.file("settings").string()}, dir.path());
    EXPECT_EQ(refuse.wait(10s), 1);
    EXPECT_NE(refuse.output().find("not a symbolic link"), std::string::npos);
    EXPECT_EQ(dir.read("settings"), "keep me");
}

}  // namespace
