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

}  // namespace
}  // namespace vemo::test
