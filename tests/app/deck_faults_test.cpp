// The real console against a deck line that fails: stuck, or pulled and plugged in again.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/log_text.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vemo::test {
namespace {

using namespace std::chrono_literals;

// The console running on the simulator's line, windows off screen, polling.
class ConsoleOnSim : public ::testing::Test {
  protected:
    void SetUp() override {
        link = dir.file("deck").string();
        sim = std::make_unique<ChildProcess>(
            builtProgram("tools/decksim/vemo-decksim"),
            std::vector<std::string>{"--link", link, "--log", dir.file("frames.log").string()},
            dir.path());
        ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(link); })) << sim->output();
        dir.write("VemoSettings.txt",
                  "COMPort=" + link +
                      "\nVCRType=TAPE\nUserNote=Simulator\nVerbose=NO\nUseClipboard=NO\n"
                      "StopOnExit=YES\nInitialize=YES\nFinalize=YES\nRECMode=Title\n"
                      "AutoChapter=NO\n");
        vemo = std::make_unique<ChildProcess>(
            builtProgram("app/vemo"), std::vector<std::string>{}, dir.path(),
            std::vector<std::string>{"QT_QPA_PLATFORM=offscreen"});
        ASSERT_TRUE(waitFor([&] { return countFrames(frames(), "61 0C 03 70") >= 3; }))
            << log() << vemo->output();
    }
    std::string log() const { return dir.read("VemoLog.txt"); }
    std::string frames() const { return readFile(dir.file("frames.log")); }
    void signal(int sig) { ASSERT_EQ(::kill(sim->pid(), sig), 0); }

    TempDir dir;
    std::string link;
    std::unique_ptr<ChildProcess> sim;
    std::unique_ptr<ChildProcess> vemo;
};

TEST_F(ConsoleOnSim, AStalledLineLetsTheConsoleCloseWithinTwoSeconds) {
    signal(SIGUSR1);
    ASSERT_TRUE(waitFor([&] { return hasLine(log(), "Deck not answering"); })) << log();
    EXPECT_TRUE(hasLine(log(), "Unable to write to Serial Port"));
    ::kill(vemo->pid(), SIGTERM);
    EXPECT_EQ(vemo->wait(2s), std::optional<int>(0)) << log() << vemo->output();
}

TEST_F(ConsoleOnSim, UnplugAndReplugResumesPollingWithTheLogUnderItsBound) {
    signal(SIGUSR2);
    ASSERT_TRUE(waitFor([&] { return hasLine(log(), "Deck not answering"); })) << log();
    EXPECT_TRUE(hasLine(log(), "Serial Port " + link + " lost"));
    std::this_thread::sleep_for(3s);  // unplugged for a while: the log stays quiet
    const std::string unplugged = log();
    const auto before = std::count(unplugged.begin(), unplugged.end(), '\n');
    signal(SIGUSR2);
    ASSERT_TRUE(waitFor([&] { return hasLine(log(), "Deck answering again"); })) << log();
    EXPECT_TRUE(hasLine(log(), "Serial Port " + link + " reopened"));
    // Polling goes on on the new line.
    const int polls = countFrames(frames(), "61 0C 03 70");
    EXPECT_TRUE(waitFor([&] { return countFrames(frames(), "61 0C 03 70") > polls + 3; }));
    const std::string text = log();
    EXPECT_LT(before, 30) << text;
    EXPECT_LT(std::count(text.begin(), text.end(), '\n'), 40) << text;
    ::kill(vemo->pid(), SIGTERM);
    EXPECT_EQ(vemo->wait(20s), std::optional<int>(0)) << vemo->output();
}

}  // namespace
}  // namespace vemo::test
