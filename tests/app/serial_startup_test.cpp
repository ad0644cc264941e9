// Start-up of the real console against its deck command port.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/log_text.h"
#include "support/process.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace vemo::test {
namespace {

using namespace std::chrono_literals;

// The Part's failure lines and exit code stay; the reason follows them in the log and on
// standard error.
TEST(SerialStartup, AnUnavailableDeckPortEndsWithCodeZeroAndSaysWhy) {
    if (std::filesystem::exists("/dev/ttyS8"))
        GTEST_SKIP() << "this machine has a COM9";
    PtyPair busy;
    int holder = ::open(busy.slaveName().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    struct Case {
        std::string port;
        std::string type;
        std::string reason;
    };
    for (const Case& c :
         {Case{"COM9", "RECON", "COM9 (/dev/ttyS8) does not exist."},
          Case{busy.slaveName(), "LX1",
               busy.slaveName() + " is already in use by process " + std::to_string(::getpid())}}) {
        TempDir dir;
        dir.write("VemoSettings.txt", "COMPort=" + c.port + "\nVCRType=" + c.type + "\n");
        auto start = std::chrono::steady_clock::now();
        ChildProcess vemo(builtProgram("app/vemo"), {}, dir.path(), {"QT_QPA_PLATFORM=offscreen"});
        auto code = vemo.wait(60s);
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(*code, 0);
        EXPECT_GE(std::chrono::steady_clock::now() - start, 4500ms);  // the 5 s wait happened

        auto log = linesOf(dir.read("VemoLog.txt"));
        auto failed =
            std::find(log.begin(), log.end(), "Serial port " + c.port + " for VCR not available.");
        ASSERT_NE(failed, log.end()) << dir.read("VemoLog.txt");
        ASSERT_GE(failed - log.begin(), 2);
        EXPECT_EQ(*(failed - 1), "Serial Port " + c.port + " not available");
        ASSERT_NE(failed + 1, log.end());
        EXPECT_EQ((failed + 1)->rfind(c.reason, 0), 0u) << *(failed + 1);
        EXPECT_NE(vemo.output().find("vemo: " + c.reason), std::string::npos) << vemo.output();
        // No title before the port opens.
        EXPECT_EQ(dir.read("VemoLog.txt").find("Video Deck Console"), std::string::npos);
    }
    ::close(holder);
}

TEST(SerialStartup, DeckPortOnAPtyOpensAndStartUpGoesOn) {
    PtyPair pty;
    TempDir dir;
    dir.write("VemoSettings.txt", "COMPort=" + pty.slaveName() + "\nVCRType=LX1\n");
    ChildProcess vemo(builtProgram("app/vemo"), {}, dir.path(), {"QT_QPA_PLATFORM=offscreen"});
    // Whatever runs after start-up, the start-up lines are in the log by then.
    ASSERT_TRUE(waitFor(
        [&] {
            return dir.read("VemoLog.txt").find(" Vemo Video Deck Console") != std::string::npos;
        },
        30s));
    auto log = linesOf(dir.read("VemoLog.txt"));
    EXPECT_TRUE(hasLine(log, "Serial Port " + pty.slaveName() + " Opened OK"));
    EXPECT_TRUE(hasLine(log, " Vemo Video Deck Console"));
    EXPECT_TRUE(hasLine(log, "COM Port         = " + pty.slaveName()));
    EXPECT_TRUE(hasLine(log, "VCR Type         = LX1"));
    EXPECT_FALSE(hasLine(log, "Serial Port " + pty.slaveName() + " not available"));
    vemo.terminate();
}

}  // namespace
}  // namespace vemo::test
