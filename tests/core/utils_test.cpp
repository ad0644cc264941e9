#include "core/utils.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "support/stdout_capture.h"

namespace vemo::core {
namespace {

TEST(Utils, HexDumpOfBytes) {
    std::vector<std::uint8_t> bytes{32, 15, 255};
    EXPECT_EQ(Utils::BS2S(bytes, 3), "20 0F FF ");
    EXPECT_EQ(Utils::BS2S(bytes, 0), "");
    EXPECT_EQ(Utils::BS2S(bytes, -4), "");
    // A count past the array never reads beyond it.
    EXPECT_EQ(Utils::BS2S(bytes, 10), "20 0F FF ");
}

TEST(Utils, HexDigitValues) {
    EXPECT_EQ(Utils::C2B('f'), 15);
    EXPECT_EQ(Utils::C2B('A'), 10);
    EXPECT_EQ(Utils::C2B('9'), 9);
    for (char c : {'G', 'g', ' ', '\0', '/'})
        EXPECT_EQ(Utils::C2B(c), 0) << c;
    EXPECT_EQ(Utils::ASCIIHEX2BYTE(0x62), 11);
    EXPECT_EQ(Utils::ASCIIHEX2BYTE(0x47), 0);
    EXPECT_EQ(Utils::BYTE2ASCIIHEX(9), 57);
    EXPECT_EQ(Utils::BYTE2ASCIIHEX(10), 65);
    EXPECT_EQ(Utils::BYTE2ASCIIHEX(15), 'F');
}

TEST(Utils, TextToBytes) {
    EXPECT_EQ(Utils::S2BS("0aFF"), (std::vector<std::uint8_t>{0x0A, 0xFF}));
    EXPECT_EQ(Utils::S2BS("zz"), (std::vector<std::uint8_t>{0}));
    auto forty = Utils::S2BS(std::string(40, '1'));
    ASSERT_EQ(forty.size(), 20u);
    for (std::size_t i = 0; i < 15; ++i)
        EXPECT_EQ(forty[i], 0x11);
    for (std::size_t i = 15; i < 20; ++i)
        EXPECT_EQ(forty[i], 0);
    // An unpaired last character is ignored.
    EXPECT_EQ(Utils::S2BS("123"), (std::vector<std::uint8_t>{0x12}));
    EXPECT_TRUE(Utils::S2BS("").empty());
}

TEST(Utils, DelayZeroReturnsAndPositiveSleeps) {
    auto t0 = std::chrono::steady_clock::now();
    Utils::DelayT(0);
    Utils::DelayT(-5);
    Utils::DelayT(20);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(20));
}

TEST(Utils, LinesFromManyThreadsNeverMix) {
    test::StdoutCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) {
                Utils::OutLine("thread" + std::to_string(t) + " line " + std::to_string(i) +
                               std::string(50, static_cast<char>('a' + t)));
            }
        });
    }
    for (auto& th : threads)
        th.join();
    std::istringstream lines(capture.finish());
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        ASSERT_EQ(line.rfind("thread", 0), 0u) << line;
        char tag = static_cast<char>('a' + (line[6] - '0'));
        EXPECT_EQ(line.substr(line.size() - 50), std::string(50, tag)) << line;
    }
    EXPECT_EQ(count, 800);
}

// A log clock the test moves by hand.
std::chrono::steady_clock::time_point fakeNow;
std::chrono::steady_clock::time_point fakeClock() {
    return fakeNow;
}

class LogRepeats : public ::testing::Test {
  protected:
    void SetUp() override { Utils::setLogClock(&fakeClock); }
    void TearDown() override { Utils::setLogClock(nullptr); }
};

TEST_F(LogRepeats, IdenticalLinesAreCountedAndToldWhenAnotherLineComes) {
    test::StdoutCapture capture;
    Utils::OutLine("Unable to write to Serial Port");
    for (int i = 0; i < 5; ++i)
        Utils::OutLine("Unable to write to Serial Port");
    Utils::OutLine("Deck not answering");
    Utils::OutLine("Deck not answering");
    Utils::OutLine("Ready");
    Utils::OutLine("Ready");
    Utils::OutLine(" ");  // blank separators are never counted
    Utils::OutLine(" ");
    EXPECT_EQ(capture.finish(),
              "Unable to write to Serial Port\nlast line repeated 5 times\n"
              "Deck not answering\nlast line repeated 1 times\nReady\n"
              "last line repeated 1 times\n \n \n");
}

// A connection that keeps failing the same way writes the same pair of lines each time.
TEST_F(LogRepeats, AGroupOfLinesComingBackWholeIsCountedLikeOneLine) {
    test::StdoutCapture capture;
    for (int i = 0; i < 4; ++i)
        Utils::OutLines({"Server ReadLine I/O Error", "Server Loop Close"});
    Utils::OutLine("Server Loop Close");
    Utils::OutLines({"Server Loop Close"});  // a group of one is a line
    Utils::OutLines({"A", "B"});
    Utils::OutLine("B");
    EXPECT_EQ(capture.finish(),
              "Server ReadLine I/O Error\nServer Loop Close\nlast 2 lines repeated 3 times\n"
              "Server Loop Close\nlast line repeated 1 times\nA\nB\nB\n");
}

// A fault that lasts a day, repeating its line 37 times a second, costs a few dozen lines.
TEST_F(LogRepeats, WhileRepeatsGoOnTheyAreToldAtMostOnceAMinute) {
    test::StdoutCapture capture;
    for (int second = 0; second <= 120; ++second) {
        Utils::OutLine("No reply");
        fakeNow += std::chrono::seconds(1);
    }
    // The first summary a minute after the line, the next not before two more minutes.
    EXPECT_EQ(capture.text(), "No reply\nlast line repeated 60 times\n");
    // Ending the run tells what is still pending.
    EXPECT_EQ(capture.finish(),
              "No reply\nlast line repeated 60 times\nlast line repeated 60 times\n");
}

TEST_F(LogRepeats, ADayOfOneRepeatedLineStaysUnderAHundredLines) {
    test::StdoutCapture capture;
    const auto step = std::chrono::milliseconds(27);
    const long perDay = 24L * 3600 * 1000 / 27;
    long told = 0;
    for (long i = 0; i < perDay; ++i) {
        Utils::OutLine("Unable to write to Serial Port");
        fakeNow += step;
    }
    Utils::OutLine("Deck answering again");
    std::istringstream lines(capture.finish());
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        ++count;
        if (line.rfind("last line repeated ", 0) == 0)
            told += std::stol(line.substr(19));
    }
    EXPECT_LT(count, 100);
    EXPECT_GT(count, 3);  // it does say so while the fault goes on
    EXPECT_EQ(told, perDay - 1);
}

}  // namespace
}  // namespace vemo::core
