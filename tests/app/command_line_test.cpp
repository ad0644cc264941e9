// Every program answers --help and --version at once, touching no settings or log file.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"
#include "support/temp_dir.h"
#include "vemo_version.h"

namespace vemo::test {
namespace {

using namespace std::chrono_literals;

TEST(CommandLine, HelpAndVersionAnswerAtOnceWithoutTouchingFiles) {
    struct Program {
        std::string path;
        std::string name;
        std::string usage;  // how --help begins
    };
    for (const Program& p :
         {Program{"app/vemo", "vemo", "Usage: vemo "},
          Program{"tools/decksim/vemo-decksim", "vemo-decksim", "Usage: vemo-decksim "},
          Program{"tools/lxedl/vemo-lxedl", "vemo-lxedl", "usage: vemo-lxedl "}}) {
        TempDir dir;
        dir.write("VemoSettings.txt", "COMPort=COM9\n");
        // Options in any place, and --version where a value-taking option's value might be.
        for (std::vector<std::string> args :
             {std::vector<std::string>{"--help"}, {"--version"}, {"--verbose", "--version"}}) {
            ChildProcess run(builtProgram(p.path), args, dir.path(), {"QT_QPA_PLATFORM=offscreen"});
            EXPECT_EQ(run.wait(20s), 0) << p.name << " " << args.back() << ": " << run.output();
            std::string expected =
                args.back() == "--help" ? p.usage : p.name + " " + VEMO_VERSION + "\n";
            EXPECT_EQ(run.output().rfind(expected, 0), 0u) << p.name << ": " << run.output();
        }
        EXPECT_FALSE(std::filesystem::exists(dir.file("VemoLog.txt"))) << p.name;
        EXPECT_EQ(dir.read("VemoSettings.txt"), "COMPort=COM9\n");
    }
}

TEST(CommandLine, ListPortsPrintsTheDevicesAndExits) {
    TempDir dir;
    ChildProcess run(builtProgram("app/vemo"), {"--list-ports"}, dir.path());
    EXPECT_EQ(run.wait(20s), 0);
    EXPECT_FALSE(run.output().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("VemoLog.txt")));
}

}  // namespace
}  // namespace vemo::test
