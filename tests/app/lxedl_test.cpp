// vemo-lxedl end to end: real files in a temporary folder, the real built program.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/recorder_test_view.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vemo::test {
namespace {

using namespace std::chrono_literals;

// An editing system's EDL: comments, drop-frame separators, a dissolve with its duration,
// an audio-only event, a motion line with one time only, two blanks between source times.
const std::string Source =
    "TITLE: SHOW REEL\r\n"
    "FCM: DROP FRAME\r\n"
    "\r\n"
    "001  TAPE1    V     C        00:01:00;00 00:02:00;00 01:00:00;00 01:01:00;00\r\n"
    "* FROM CLIP NAME: opening.mov\r\n"
    "002  TAPE1    V     C        00:02:10:00 00:02:10:00 01:01:00:00 01:01:00:00\r\n"
    "002  TAPE2    V     D    030 00:03:00:00 00:04:00:00 01:01:00:00 01:02:00:00\r\n"
    "* FROM CLIP NAME: middle.mov\r\n"
    "* TO CLIP NAME: other.mov\r\n"
    "003  TAPE3    A     C        00:05:00:00 00:05:30:00 01:02:00:00 01:02:30:00\r\n"
    "M2   TAPE3       029.9                00:05:00:00\r\n"
    "004  TAPE4    AA/V  W001 045 00:06:00:00  00:07:00:00 01:02:30:00 01:03:30:00\r\n";

const std::string Recs[] = {"REC 00:01:00;00 00:02:00;00 ", "REC 00:02:10:00 00:02:10:00 ",
                            "REC 00:03:00:00 00:04:00:00 ", "REC 00:05:00:00 00:05:30:00 ",
                            "REC 00:06:00:00 00:07:00:00 "};

std::string fileText(const std::vector<std::string>& commands) {
    std::string text = "PIONEER-DVDRec-EDL 001\r\n";
    for (const auto& c : commands)
        text += c + "\r\n";
    return text;
}

struct RunResult {
    int code = -1;
    std::string output;  // standard output and error together
};

class Lxedl : public ::testing::Test {
  protected:
    void SetUp() override { dir.write("show.edl", Source); }

    RunResult run(const std::vector<std::string>& args) {
        ChildProcess tool(builtProgram("tools/lxedl/vemo-lxedl"), args, dir.path());
        auto code = tool.wait(30s);
        EXPECT_TRUE(code.has_value());
        return {code.value_or(-1), tool.output()};
    }

    TempDir dir;
};

TEST_F(Lxedl, ConvertsWithTheWindowsDefaults) {
    RunResult r = run({"show.edl", "out.txt"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.output, "");
    EXPECT_EQ(dir.read("out.txt"),
              fileText({"000 INI", "000 " + Recs[0] + "STOP", "000 " + Recs[1] + "STOP",
                        "000 " + Recs[2] + "STOP", "000 " + Recs[3] + "STOP",
                        "000 " + Recs[4] + "STOP", "000 FNL"}));
}

TEST_F(Lxedl, StandardOutputGetsTheSameBytes) {
    for (std::vector<std::string> options :
         {std::vector<std::string>{}, {"--all-ps"}, {"--autoch", "--no-ini"}}) {
        auto toFile = options;
        toFile.insert(toFile.end(), {"show.edl", "out.txt"});
        auto toStdout = options;
        toStdout.insert(toStdout.end(), {"show.edl", "-"});
        ASSERT_EQ(run(toFile).code, 0);
        RunResult r = run(toStdout);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.output, dir.read("out.txt"));
    }
}

TEST_F(Lxedl, EachOptionShapesTheList) {
    EXPECT_EQ(
        run({"--no-ini", "--no-fnl", "show.edl", "-"}).output,
        fileText({"000 " + Recs[0] + "STOP", "000 " + Recs[1] + "STOP", "000 " + Recs[2] + "STOP",
                  "000 " + Recs[3] + "STOP", "000 " + Recs[4] + "STOP"}));
    EXPECT_EQ(run({"--no-fnl", "show.edl", "-"}).output,
              fileText({"000 INI", "000 " + Recs[0] + "STOP", "000 " + Recs[1] + "STOP",
                        "000 " + Recs[2] + "STOP", "000 " + Recs[3] + "STOP",
                        "000 " + Recs[4] + "STOP"}));
    EXPECT_EQ(run({"show.edl", "--all-ps", "-"}).output,
              fileText({"000 INI", "000 " + Recs[0] + "PAUSE", "000 " + Recs[1] + "PAUSE",
                        "000 " + Recs[2] + "PAUSE", "000 " + Recs[3] + "PAUSE",
                        "000 " + Recs[4] + "STOP", "000 FNL"}));
    EXPECT_EQ(
        run({"--autoch", "show.edl", "-"}).output,
        fileText({"000 INI", "000 REC 00:01:00;00 00:07:00:00 STOP", "001 CHP 00:02:10:00",
                  "002 CHP 00:03:00:00", "003 CHP 00:05:00:00", "004 CHP 00:06:00:00", "004 FNL"}));
}

TEST_F(Lxedl, FiltersAndTapeChanges) {
    RunResult r =
        run({"--skip-audio-only", "--skip-zero-length", "--reel-changes", "show.edl", "-"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.output,
              fileText({"000 INI", "000 " + Recs[0] + "STOP", "000 WAI", "000 " + Recs[2] + "STOP",
                        "000 WAI", "000 " + Recs[4] + "STOP", "000 FNL"}));
}

// Events left out are told on standard error, and the exit code tells a batch.
TEST_F(Lxedl, LeftOutEventsAreToldAndExitThree) {
    dir.write("first96.edl", core::testing::manyEvents(96, false));
    dir.write("long.edl", core::testing::manyEvents(500, false));
    ASSERT_EQ(run({"first96.edl", "first96.txt"}).code, 0);
    RunResult r = run({"long.edl", "long.txt"});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.output, "vemo-lxedl: long.edl: LX-1 EDL IS FULL: 404 source events left out\n");
    EXPECT_EQ(dir.read("long.txt"), dir.read("first96.txt"));

    dir.write("bad.edl",
              "TITLE: bad\n"
              "001  AX       V     C        00:00:10:00 00:00:99:99 01:00:00:00 "
              "01:00:01:00\n");
    r = run({"bad.edl", "-"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.output.find("vemo-lxedl: bad.edl: line 2: source out 00:00:99:99 is not a time "
                            "code at 30 fps, event left out\n"),
              std::string::npos)
        << r.output;
}

TEST_F(Lxedl, SourceIsNeverReplaced) {
    const std::string before = dir.read("show.edl");
    std::filesystem::create_directory(dir.file("sub"));
    std::filesystem::create_symlink(dir.file("show.edl"), dir.file("link.edl"));
    for (const char* output : {"show.edl", "./sub/../show.edl", "link.edl"}) {
        RunResult r = run({"show.edl", output});
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.output.find("will not replace the source EDL"), std::string::npos) << r.output;
        EXPECT_EQ(dir.read("show.edl"), before);
    }
}

TEST_F(Lxedl, VerboseTellsEachLineReadOnStandardError) {
    RunResult r = run({"--verbose", "show.edl", "out.txt"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.output.find("* FROM CLIP NAME: opening.mov\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("M2   TAPE3"), std::string::npos);
    EXPECT_EQ(dir.read("out.txt").substr(0, 24), "PIONEER-DVDRec-EDL 001\r\n");
}

TEST_F(Lxedl, ReplacesAnOlderList) {
    dir.write("out.txt", std::string(5000, 'x'));
    EXPECT_EQ(run({"--no-ini", "--no-fnl", "show.edl", "out.txt"}).code, 0);
    EXPECT_EQ(dir.read("out.txt").substr(0, 24), "PIONEER-DVDRec-EDL 001\r\n");
    EXPECT_EQ(dir.read("out.txt").size(), 24u + 5 * 38);
}

TEST_F(Lxedl, MissingInputIsAnIoError) {
    RunResult r = run({"none.edl", "out.txt"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.output.find("none.edl: EDL file not found!"), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.txt")));

    std::filesystem::create_directory(dir.file("folder"));
    r = run({"folder", "out.txt"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.output.find("Problem reading file!"), std::string::npos) << r.output;
}

TEST_F(Lxedl, UnwritableOutputIsAnIoError) {
    RunResult r = run({"show.edl", "no/such/folder/out.txt"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.output.find("no/such/folder/out.txt: cannot write"), std::string::npos) << r.output;

    std::filesystem::create_directory(dir.file("taken"));
    r = run({"show.edl", "taken"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.output.find("cannot write"), std::string::npos) << r.output;
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken")));
}

TEST_F(Lxedl, BadCommandLinesAreUsageErrors) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--bogus", "show.edl", "-"},
                                          {"show.edl"},
                                          {},
                                          {"a", "b", "c"}}) {
        RunResult r = run(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.output.find("usage: vemo-lxedl"), std::string::npos) << r.output;
    }
    EXPECT_NE(run({"--bogus", "show.edl", "-"}).output.find("unknown option '--bogus'"),
              std::string::npos);
    RunResult rate = run({"--fps=24", "show.edl", "-"});
    EXPECT_EQ(rate.code, 2);
    EXPECT_NE(rate.output.find("unknown frame rate '24'"), std::string::npos) << rate.output;
    EXPECT_EQ(run({"--fps=25", "show.edl", "-"}).code, 0);
    RunResult help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.output.rfind("usage: vemo-lxedl", 0), 0u);
}

}  // namespace
}  // namespace vemo::test
