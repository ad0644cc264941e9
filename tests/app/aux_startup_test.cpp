// Start-up of the real console with an auxiliary controller port that does not exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
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

TEST(AuxStartup, MissingControllerPortEndsWithCodeZeroAfterTheWait) {
    if (std::filesystem::exists("/dev/ttyS8"))
        GTEST_SKIP() << "this machine has a COM9";
    PtyPair deck;
    TempDir dir;
    dir.write("VemoSettings.txt", "COMPort=" + deck.slaveName() + "\nVCRType=TAPE\nMCSPort=COM9\n");
    auto start = std::chrono::steady_clock::now();
    ChildProcess vemo(builtProgram("app/vemo"), {}, dir.path(), {"QT_QPA_PLATFORM=offscreen"});
    auto code = vemo.wait(60s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 4500ms);  // the 5 s wait happened

    auto log = linesOf(dir.read("VemoLog.txt"));
    bool found = false;
    for (std::size_t i = 2; i < log.size(); ++i) {
        if (log[i] == "MCS Serial port COM9 for VCR not available." && log[i - 1] == " " &&
            log[i - 2] == " ") {
            found = true;
        }
    }
    EXPECT_TRUE(found) << dir.read("VemoLog.txt");
    for (const auto& l : log)
        EXPECT_NE(l, "Ready");  // the window never came up
}

TEST(AuxStartup, ControllerKeysDriveTheDeck) {
    PtyPair deck;
    PtyPair surface;
    TempDir dir;
    dir.write("VemoSettings.txt", "COMPort=" + deck.slaveName() +
                                      "\nVCRType=TAPE\nMCSPort=" + surface.slaveName() + "\n");
    ChildProcess vemo(builtProgram("app/vemo"), {}, dir.path(), {"QT_QPA_PLATFORM=offscreen"});
    const std::string opened = "MCS Serial Port " + surface.slaveName() + " Opened OK";
    ASSERT_TRUE(waitFor([&] { return hasLine(linesOf(dir.read("VemoLog.txt")), opened); }, 30s))
        << dir.read("VemoLog.txt");

    // The play key: the play frame appears among the console's polling frames.
    const std::vector<std::uint8_t> play{0x20, 0x01, 0x21};
    std::vector<std::uint8_t> seen;
    bool played = waitFor(
        [&] {
            surface.writeMaster({0x80, 0x45});
            auto got = deck.readMaster(256, 300ms);
            seen.insert(seen.end(), got.begin(), got.end());
            return std::search(seen.begin(), seen.end(), play.begin(), play.end()) != seen.end();
        },
        30s);
    EXPECT_TRUE(played);
    EXPECT_TRUE(hasLine(linesOf(dir.read("VemoLog.txt")), "80 45 "));
    vemo.terminate();
}

}  // namespace
}  // namespace vemo::test
