// Start-up paths of the real console that end before any window exists.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_dir.h"

namespace vemo::test {
namespace {

using namespace std::chrono_literals;

TEST(Startup, MissingSettingsFileEndsWithCodeOneAfterTheWait) {
    TempDir dir;
    dir.write("VemoLog.txt", "old run\n");
    auto t0 = std::chrono::steady_clock::now();
    ChildProcess vemo(builtProgram("app/vemo"), {"--ignored", "arguments"}, dir.path());
    auto code = vemo.wait(60s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 1);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 4500ms);
    // The previous run's log is gone; only this run's line is there.
    EXPECT_EQ(dir.read("VemoLog.txt"), "No Settings File found!\n");
}

TEST(Startup, PortThatDoesNotExistEndsWithCodeZero) {
    TempDir dir;
    dir.write("VemoSettings.txt", "COMPort=COM9\nVCRType=RECON\n");
    ChildProcess vemo(builtProgram("app/vemo"), {}, dir.path());
    auto code = vemo.wait(60s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    std::string log = dir.read("VemoLog.txt");
    const std::string tail =
        " \nSerial Port COM9 not available\nSerial port COM9 for VCR not available.\n";
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
    EXPECT_EQ(log.find("Halvo"), std::string::npos);  // no title before the port opens
}

}  // namespace
}  // namespace vemo::test
