// Start-up of the real console against its deck command port.
#include <gtest/gtest.h>

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

TEST(SerialStartup, MissingDeckPortEndsWithCodeZeroAfterTheWait) {
    if (std::filesystem::exists("/dev/ttyS8"))
        GTEST_SKIP() << "this machine has a COM9";
    TempDir dir;
    dir.write("VemoSettings.txt", "COMPort=COM9\nVCRType=LX1\n");
    auto start = std::chrono::steady_clock::now();
    ChildProcess vemo(builtProgram("app/vemo"), {}, dir.path(), {"QT_QPA_PLATFORM=offscreen"});
    auto code = vemo.wait(60s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 4500ms);  // the 5 s wait happened

    auto log = linesOf(dir.read("VemoLog.txt"));
    ASSERT_GE(log.size(), 3u);
    std::vector<std::string> tail(log.end() - 3, log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{" ", "Serial Port COM9 not available",
                                              "Serial port COM9 for VCR not available."}));
    EXPECT_FALSE(hasLine(log, " Vemo Video Deck Console"));
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
