// The real console against the deck simulator, without windows on screen.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>

#include "support/log_text.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vemo::test {
namespace {

using namespace std::chrono_literals;

std::string settingsFor(const std::string& port, const std::string& type) {
    return "COMPort=" + port + "\nVCRType=" + type +
           "\nUserNote=Simulator\nVerbose=NO\nUseClipboard=NO\nStopOnExit=YES\n"
           "Initialize=YES\nFinalize=YES\nRECMode=Title\nAutoChapter=NO\n";
}

// Sets or removes an environment variable for the programs started meanwhile.
class EnvGuard {
  public:
    EnvGuard(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~EnvGuard() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

class ConsoleStartup : public ::testing::TestWithParam<const char*> {};

TEST_P(ConsoleStartup, RunsPollsAndStopsTheDeckWhenTerminated) {
    EnvGuard platform("QT_QPA_PLATFORM", "offscreen");
    TempDir dir;
    const std::string link = dir.file("deck").string();
    const std::string type = GetParam();
    std::string simType = type == "LX1" ? "lx1" : "tape";
    ChildProcess sim(builtProgram("tools/decksim/vemo-decksim"),
                     {"--link", link, "--type", simType, "--log", dir.file("frames.log").string()},
                     dir.path());
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(link); })) << sim.output();
    dir.write("VemoSettings.txt", settingsFor(link, type));

    ChildProcess vemo(builtProgram("app/vemo"), {}, dir.path());
    ASSERT_TRUE(waitFor([&] {
        return dir.read("VemoLog.txt").find("Ready\n") != std::string::npos;
    })) << dir.read("VemoLog.txt")
        << vemo.output();
    // Polling starts a second after Ready: time-code and status frames reach the deck.
    ASSERT_TRUE(waitFor([&] {
        std::string log = readFile(dir.file("frames.log"));
        return countFrames(log, "61 0C 03 70") >= 3 && countFrames(log, "61 20 09 8A") >= 1;
    })) << readFile(dir.file("frames.log"));
    EXPECT_TRUE(vemo.running());
    EXPECT_EQ(countFrames(readFile(dir.file("frames.log")), "41 36 00 77"), 1);

    // A terminated console closes like its window: the deck is stopped twice, exit code 0.
    ::kill(vemo.pid(), SIGTERM);
    EXPECT_EQ(vemo.wait(20s), std::optional<int>(0)) << vemo.output();
    EXPECT_EQ(countFrames(readFile(dir.file("frames.log")), "20 00 20"), 2);
}

INSTANTIATE_TEST_SUITE_P(Decks, ConsoleStartup, ::testing::Values("TAPE", "LX1"));

TEST(ConsoleStartupNoDisplay, SaysSoAndExitsWithOne) {
    EnvGuard display("DISPLAY", nullptr);
    EnvGuard wayland("WAYLAND_DISPLAY", nullptr);
    EnvGuard platform("QT_QPA_PLATFORM", nullptr);
    TempDir dir;
    const std::string link = dir.file("deck").string();
    ChildProcess sim(builtProgram("tools/decksim/vemo-decksim"), {"--link", link}, dir.path());
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(link); })) << sim.output();
    dir.write("VemoSettings.txt", settingsFor(link, "TAPE"));

    ChildProcess vemo(builtProgram("app/vemo"), {}, dir.path());
    EXPECT_EQ(vemo.wait(20s), std::optional<int>(1)) << vemo.output();
    EXPECT_NE(dir.read("VemoLog.txt")
                  .find("No display available: set DISPLAY, or "
                        "QT_QPA_PLATFORM=offscreen to run without windows"),
              std::string::npos);
    EXPECT_NE(vemo.output().find("No display available"), std::string::npos);
}

}  // namespace
}  // namespace vemo::test
