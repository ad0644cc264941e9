#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "core/edl/recorder_edl.h"
#include "recorder_test_view.h"
#include "support/temp_dir.h"

namespace vemo::core {
namespace {

using testing::eventLine;
using testing::RecordingView;
using testing::threeEvents;

class RecorderFile : public ::testing::Test {
  protected:
    void SetUp() override { testing::defaultOptions(edl); }

    vemo::test::TempDir dir;
    RecordingView view;
    RecorderEDL edl{&view};
};

constexpr const char* ThreeEventFile =
    "PIONEER-DVDRec-EDL 001\r\n"
    "000 INI\r\n"
    "000 REC 00:01:00:00 00:02:00:00 STOP\r\n"
    "000 REC 00:03:00:00 00:04:00:00 STOP\r\n"
    "000 REC 00:05:00:00 00:06:00:00 STOP\r\n"
    "000 FNL\r\n";

TEST_F(RecorderFile, ReadsEveryKindOfLineEnd) {
    edl.editionName = " Vemo";
    const std::string ev1 = eventLine(1, "00:01:00:00", "00:02:00:00");
    const std::string ev2 = eventLine(2, "00:03:00:00", "00:04:00:00");
    const std::string bytes = "TITLE: x\r\nFCM: NON-DROP FRAME\r" + ev1 + "\n\n" + ev2;
    dir.write("src.edl", bytes);
    edl.verbose = true;
    EXPECT_TRUE(edl.parseedl(dir.path().string(), "src.edl"));
    EXPECT_EQ(edl.rawlinecount, 5);
    EXPECT_EQ(edl.rawedl[3], "");
    EXPECT_EQ(edl.rawedl[4], ev2);
    EXPECT_EQ(edl.rawedl[5], " ");
    EXPECT_EQ(edl.filesize, static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(edl.readsofar, static_cast<std::int64_t>(bytes.size()) - 5);
    EXPECT_EQ(edl.rawfile, "TITLE: x\nFCM: NON-DROP FRAME\n" + ev1 + "\n" + ev2 + "\n");
    EXPECT_TRUE(view.shownSource("Reading File..."));
    EXPECT_EQ(view.titles, std::vector<std::string>{" Vemo EDLMaker    Source EDL:  src.edl"});
    EXPECT_EQ(view.logs.size(), 5u);  // verbose: every line read
    // A load starts a new output list.
    EXPECT_EQ(edl.lxfile, "PIONEER-DVDRec-EDL 001\n000 INI\n000 FNL\n");
    EXPECT_TRUE(view.waits.empty());
}

TEST_F(RecorderFile, NoNameReadsNothing) {
    edl.parseText(threeEvents());
    EXPECT_TRUE(edl.parseedl(dir.path().string(), ""));
    EXPECT_EQ(edl.rawlinecount, 0);
    EXPECT_EQ(edl.rawfile, "");
    EXPECT_FALSE(view.shownSource("Reading File..."));
}

TEST_F(RecorderFile, MissingFileIsToldAndHeld) {
    EXPECT_FALSE(edl.parseedl(dir.path().string(), "none.edl"));
    EXPECT_EQ(view.logs, std::vector<std::string>{"EDL file not found!"});
    EXPECT_EQ(view.sources.back(), "EDL file not found!");
    EXPECT_EQ(view.waits, std::vector<int>{3000});
    EXPECT_EQ(edl.rawlinecount, 0);
}

TEST_F(RecorderFile, UnreadableFileIsToldAndHeld) {
    std::filesystem::create_directory(dir.file("folder.edl"));
    EXPECT_FALSE(edl.parseedl(dir.path().string(), "folder.edl"));
    EXPECT_EQ(view.logs, std::vector<std::string>{"Problem reading file!"});
    EXPECT_TRUE(view.shownSource("Problem Reading File"));
    EXPECT_EQ(view.waits, std::vector<int>{3000});
    // Afterwards the (empty) source and a new list are shown.
    EXPECT_EQ(view.sources.back(), "");
    EXPECT_EQ(edl.lxfile, "PIONEER-DVDRec-EDL 001\n000 INI\n000 FNL\n");
}

TEST_F(RecorderFile, ReadingEndsAtTheFirstLineThatIsNotText) {
    struct Case {
        std::string bytes;
        int lines;
        int stoppedAt;  // the line named as not text; 0: none
    } cases[] = {
        {std::string("\x01\x02\x03 binary\n") + threeEvents(), 0, 1},
        {"\xff\xfe" + threeEvents(), 0, 1},
        {"\tTITLE: tab\n" + threeEvents(), 0, 1},
        {"TITLE: a\nFCM: NON-DROP FRAME\n\x80 high\n" + threeEvents(), 2, 3},
        {"\x7f DEL is still text\n", 1, 0},
        {std::string("A\0B\n", 4), 1, 0},
    };
    for (const auto& c : cases) {
        dir.write("odd.edl", c.bytes);
        EXPECT_TRUE(edl.parseedl(dir.path().string(), "odd.edl"));
        EXPECT_EQ(edl.rawlinecount, c.lines) << c.bytes;
        EXPECT_EQ(edl.omissions.stoppedAtLine, c.stoppedAt) << c.bytes;
    }
}

TEST_F(RecorderFile, AtMost999LinesAreRead) {
    std::string bytes;
    for (int i = 1; i <= 1200; ++i)
        bytes += "line " + std::to_string(i) + "\n";
    dir.write("long.edl", bytes);
    EXPECT_TRUE(edl.parseedl(dir.path().string(), "long.edl"));
    EXPECT_EQ(edl.rawlinecount, 999);
    EXPECT_EQ(edl.rawedl[998], "line 999");
    EXPECT_TRUE(edl.omissions.lineLimit);
    EXPECT_EQ(edl.leftOutReport(),
              std::vector<std::string>{"only the first 999 lines were read, the rest left out"});
    bytes.resize(bytes.find("line 1000"));
    dir.write("long.edl", bytes);
    EXPECT_TRUE(edl.parseedl(dir.path().string(), "long.edl"));
    EXPECT_FALSE(edl.omissions.lineLimit);
}

TEST_F(RecorderFile, SavesTheListWithCrLf) {
    dir.write("src.edl", threeEvents());
    ASSERT_TRUE(edl.parseedl(dir.path().string() + "/", "src.edl"));
    edl.rawline = 0;
    edl.autoedl();
    dir.write("out.edl", "an older list");
    EXPECT_TRUE(edl.saveedl(dir.path().string(), "out.edl"));
    EXPECT_EQ(dir.read("out.edl"), ThreeEventFile);
    EXPECT_EQ(edl.edltext(true), ThreeEventFile);
    // Nothing but the source and the list is left in the folder.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 2);
    EXPECT_TRUE(view.logs.empty());
}

TEST_F(RecorderFile, SaveIntoAMissingFolderIsReported) {
    edl.parseText(threeEvents());
    edl.autoedl();
    EXPECT_FALSE(edl.saveedl((dir.path() / "no" / "such").string(), "out.edl"));
    ASSERT_EQ(view.logs.size(), 1u);
    EXPECT_EQ(view.logs[0].rfind("Problem writing file! ", 0), 0u) << view.logs[0];
    EXPECT_TRUE(view.shownSource(view.logs[0]));
    EXPECT_EQ(view.waits, std::vector<int>{3000});
    EXPECT_TRUE(edl.ioerror);
    // The source comes back into view after the message.
    EXPECT_EQ(view.sources.back(), edl.rawfile);

    // A folder in the way of the file is not replaced either.
    std::filesystem::create_directory(dir.file("taken"));
    EXPECT_FALSE(edl.saveedl(dir.path().string(), "taken"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken")));
}

TEST_F(RecorderFile, FailedWriteLeavesTheOldFileIntact) {
    edl.parseText(threeEvents());
    edl.autoedl();
    dir.write("out.edl", "OLD");
    // A file size limit makes the write itself fail, whoever runs the test.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = edl.saveedl(dir.path().string(), "out.edl");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(dir.read("out.edl"), "OLD");
    ASSERT_EQ(view.logs.size(), 1u);
    EXPECT_EQ(view.logs[0].rfind("Problem writing file! ", 0), 0u);
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);  // no temporary file left behind
}

}  // namespace
}  // namespace vemo::core
