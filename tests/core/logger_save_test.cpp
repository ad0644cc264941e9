#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <regex>
#include <sstream>

#include "core/edl/logger_edl.h"
#include "support/stdout_capture.h"
#include "support/temp_dir.h"

using vemo::core::LoggerEDL;
using vemo::core::LoggerSaveResult;
using vemo::test::StdoutCapture;
using vemo::test::TempDir;
namespace fs = std::filesystem;

namespace {
const std::string Header = "TITLE: edl.txt \r\nREM Made by Vemo Test \r\nFCM: NON-DROP FRAME \r\n";

class LoggerSave : public ::testing::Test {
  protected:
    void SetUp() override {
        edl.madeBy = "Vemo Test";
        edl.savename = "edl.txt";
    }

    void setClip(int i, const std::string& in, const std::string& out) {
        edl.table.SrcInArray[i] = in;
        edl.table.SrcOutArray[i] = out;
    }
    LoggerSaveResult save() {
        StdoutCapture capture;
        LoggerSaveResult result = edl.SaveEDL(target().string());
        log = capture.text();
        return result;
    }
    fs::path target() const { return dir.file("edl.txt"); }
    std::string saved() const { return dir.read("edl.txt"); }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path())) {
            names.push_back(e.path().filename().string());
        }
        return names;
    }

    TempDir dir;
    LoggerEDL edl;
    std::string log;
};

std::string event(const std::string& number, const std::string& tape, const std::string& times) {
    return number + "  " + tape + "   AA/V  C        " + times + " \r\n";
}
}  // namespace

TEST_F(LoggerSave, FreshTableWritesHeaderAndOneEvent) {
    LoggerSaveResult r = save();
    EXPECT_TRUE(r.saved);
    EXPECT_EQ(r.eventsWritten, 1);
    EXPECT_EQ(r.statusMessage, "");
    EXPECT_EQ(saved(), Header +
                           "001  Name01    AA/V  C        00:00:00:00 00:00:00:00 01:00:00:00 "
                           "01:00:00:00 \r\n");
    EXPECT_EQ(log, "");
    EXPECT_EQ(files(), std::vector<std::string>{"edl.txt"});
}

TEST_F(LoggerSave, TapeFieldWidths) {
    edl.table.ClipNameArray[0] = "AB";
    edl.table.ClipNameArray[1] = "ABCDEFGH";
    edl.table.ClipNameArray[2] = "";
    edl.table.ClipNameArray[3] = "ABCDE";
    for (int i = 0; i < 4; ++i)
        setClip(i, "00:00:00:00", "00:00:00:01");
    ASSERT_TRUE(save().saved);
    std::string text = saved();
    EXPECT_NE(text.find("\n001  AB       AA/V"), std::string::npos);
    EXPECT_NE(text.find("\n002  ABCDEF    AA/V"), std::string::npos);
    EXPECT_NE(text.find("\n003  S        AA/V"), std::string::npos);
    EXPECT_NE(text.find("\n004  ABCDE    AA/V"), std::string::npos);
}

TEST_F(LoggerSave, ClipsEndToEndAndStopAtFirstEmptyOut) {
    setClip(0, "00:00:10:00", "00:00:20:00");  // 10 s
    setClip(1, "00:01:00:00", "00:01:05:00");  // 5 s
    setClip(2, "00:02:00:00", "00:02:00:01");  // 1 frame
    setClip(3, "00:03:00:00", "00:00:00:00");  // ends the list
    setClip(4, "00:04:00:00", "00:04:10:00");
    LoggerSaveResult r = save();
    EXPECT_EQ(r.eventsWritten, 3);
    EXPECT_EQ(saved(),
              Header + event("001", "Name01 ", "00:00:10:00 00:00:20:00 01:00:00:00 01:00:10:00") +
                  event("002", "Name02 ", "00:01:00:00 00:01:05:00 01:00:10:00 01:00:15:00") +
                  event("003", "Name03 ", "00:02:00:00 00:02:00:01 01:00:15:00 01:00:15:01"));
}

TEST_F(LoggerSave, WorkedExampleLine) {
    setClip(0, "00:00:10:00", "00:00:20:15");
    save();
    EXPECT_EQ(saved(), Header +
                           "001  Name01    AA/V  C        00:00:10:00 00:00:20:15 01:00:00:00 "
                           "01:00:10:15 \r\n");
}

TEST_F(LoggerSave, RecordHoursPast99TakeThreeDigitsAndKeepCounting) {
    for (int i = 0; i < 100; ++i)
        setClip(i, "00:00:00:00", "02:00:00:00");
    LoggerSaveResult r = save();
    EXPECT_EQ(r.eventsWritten, 100);
    std::string text = saved();
    EXPECT_NE(text.find(event("049", "Name49 ", "00:00:00:00 02:00:00:00 97:00:00:00 99:00:00:00")),
              std::string::npos);
    EXPECT_NE(
        text.find(event("050", "Name50 ", "00:00:00:00 02:00:00:00 99:00:00:00 101:00:00:00")),
        std::string::npos);
    EXPECT_NE(
        text.find(event("051", "Name51 ", "00:00:00:00 02:00:00:00 101:00:00:00 103:00:00:00")),
        std::string::npos);
    // The list ends at entry 100, "Name00".
    EXPECT_TRUE(text.ends_with(
        event("100", "Name00 ", "00:00:00:00 02:00:00:00 199:00:00:00 201:00:00:00")));
}

// One bad time anywhere in the list leaves a good file on disk byte for byte, and says which.
TEST_F(LoggerSave, InvalidSourceTimeWritesNothingAndNamesTheEntry) {
    struct Case {
        int entry;
        std::string in, out, message;
    };
    const Case cases[] = {
        {2, "00:00:5", "00:01:00:00",
         "EDL not saved: entry 3 has an invalid source in: \"00:00:5\""},
        {0, "00:00:10:00", "0O:00:20:00",
         "EDL not saved: entry 1 has an invalid source out: \"0O:00:20:00\""},
        {1, "00:61:00:00", "00:62:00:00",
         "EDL not saved: entry 2 has an invalid source in: \"00:61:00:00\""},
        {3, "00:02:00:00", "00:02:10:30",
         "EDL not saved: entry 4 has an invalid source out: \"00:02:10:30\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        edl.table.fill();
        for (int i = 0; i < 4; ++i)
            setClip(i, "00:0" + std::to_string(i) + ":00:00",
                    "00:0" + std::to_string(i) + ":10:00");
        dir.write("edl.txt", "a good list\r\n");
        setClip(c.entry, c.in, c.out);
        auto before = edl.table.SrcInArray;
        LoggerSaveResult r = save();
        EXPECT_FALSE(r.saved);
        ASSERT_TRUE(r.badEntry.has_value());
        EXPECT_EQ(r.badEntry->entry, c.entry);
        EXPECT_EQ(r.statusMessage, c.message);
        EXPECT_EQ(log, c.message + "\n");
        EXPECT_EQ(saved(), "a good list\r\n");
        EXPECT_EQ(edl.table.SrcInArray, before);
        EXPECT_EQ(files().size(), 1u);
    }
    // Entries past the end of the list are not checked: they are not written.
    edl.table.fill();
    setClip(0, "00:00:10:00", "00:00:20:00");
    setClip(2, "garbage", "00:00:01:00");
    EXPECT_TRUE(save().saved);
}

TEST_F(LoggerSave, OutBeforeInGetsNoRecordLength) {
    setClip(0, "00:00:10:00", "00:00:20:00");
    setClip(1, "00:00:40:00", "00:00:30:00");
    setClip(2, "00:01:00:00", "00:01:01:00");
    LoggerSaveResult r = save();
    EXPECT_TRUE(r.saved);
    EXPECT_TRUE(r.reversedEntries);
    EXPECT_EQ(r.eventsWritten, 3);
    EXPECT_EQ(r.statusMessage, "Entry 2 ends before it starts: saved with no record length");
    EXPECT_EQ(log, "Entry 2 ends before it starts: saved with no record length\n");
    EXPECT_EQ(saved(),
              Header + event("001", "Name01 ", "00:00:10:00 00:00:20:00 01:00:00:00 01:00:10:00") +
                  event("002", "Name02 ", "00:00:40:00 00:00:30:00 01:00:10:00 01:00:10:00") +
                  event("003", "Name03 ", "00:01:00:00 00:01:01:00 01:00:10:00 01:00:11:00"));
    setClip(2, "00:01:00:00", "00:00:01:00");
    EXPECT_EQ(save().statusMessage,
              "Entries 2, 3 end before they start: saved with no record length");
}

TEST_F(LoggerSave, ReplacesAnOldFileWholeAndKeepsItsPermissions) {
    dir.write("edl.txt", std::string(5000, 'q'));
    ::chmod(target().c_str(), 0640);
    ASSERT_TRUE(save().saved);
    EXPECT_EQ(saved().substr(0, 7), "TITLE: ");
    EXPECT_EQ(saved().find('q'), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(target().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(files(), std::vector<std::string>{"edl.txt"});
}

TEST_F(LoggerSave, MissingFolderIsAStreamError) {
    StdoutCapture capture;
    LoggerSaveResult r = edl.SaveEDL(dir.file("no-such-dir/edl.txt").string());
    std::string text = capture.text();
    EXPECT_FALSE(r.saved);
    EXPECT_EQ(r.eventsWritten, 0);
    EXPECT_EQ(text.rfind("FileStreamError: ", 0), 0u) << text;
    EXPECT_NE(r.statusMessage.find("EDL not saved: FileStreamError: "), std::string::npos);
}

TEST_F(LoggerSave, TargetThatIsAFolderFailsAndLeavesNothingBehind) {
    fs::create_directory(dir.file("edl.txt"));
    dir.write("keep.txt", "old");
    LoggerSaveResult r = save();
    EXPECT_FALSE(r.saved);
    EXPECT_TRUE(log.starts_with("FileIOError: ")) << log;
    EXPECT_TRUE(log.ends_with(" 1\n")) << log;
    EXPECT_TRUE(fs::is_directory(target()));
    auto names = files();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"edl.txt", "keep.txt"}));
}

TEST_F(LoggerSave, ReadOnlyFolderKeepsTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    dir.write("edl.txt", "good old list\r\n");
    ::chmod(dir.path().c_str(), 0555);
    setClip(0, "00:00:10:00", "00:00:20:00");
    LoggerSaveResult r = save();
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_FALSE(r.saved);
    EXPECT_TRUE(log.starts_with("FileIOError: ")) << log;
    EXPECT_TRUE(log.ends_with(" 1\n")) << log;
    EXPECT_EQ(saved(), "good old list\r\n");
    EXPECT_EQ(files(), std::vector<std::string>{"edl.txt"});
}

TEST_F(LoggerSave, FailedWriteKeepsTheOldFile) {
    // A file size limit makes the write itself fail, whoever runs the test.
    dir.write("edl.txt", "good old list\r\n");
    for (int i = 0; i < 100; ++i)
        setClip(i, "00:00:00:00", "00:00:01:00");
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    LoggerSaveResult r = save();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(r.saved);
    EXPECT_TRUE(log.starts_with("FileIOError: ")) << log;
    EXPECT_TRUE(log.ends_with(" 1\n")) << log;
    EXPECT_EQ(saved(), "good old list\r\n");
    EXPECT_EQ(files(), std::vector<std::string>{"edl.txt"});
}

TEST_F(LoggerSave, WritesAListOfTheCmx3600Shape) {
    edl.table.ClipNameArray[1] = "";
    edl.table.ClipNameArray[2] = "A_LONG_REEL";
    setClip(0, "00:00:10:00", "00:00:20:00");
    setClip(1, "00:10:00:00", "00:10:05:10");
    setClip(2, "10:00:00:00", "10:00:00:01");
    ASSERT_TRUE(save().saved);
    std::vector<std::string> lines;
    std::string text = saved();
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("TITLE: .+")));
    EXPECT_TRUE(std::regex_match(lines[2], std::regex("FCM: (NON-)?DROP FRAME ")));
    const std::regex eventLine(
        "\\d{3}  \\S{1,8} +(V|A|AA|AA/V|B) +C +(\\d\\d:\\d\\d:\\d\\d[:;]\\d\\d ){4}");
    for (std::size_t i = 3; i < lines.size(); ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], eventLine)) << lines[i];
        EXPECT_EQ(lines[i].find('\t'), std::string::npos);
    }
}

// Record times are counted at the console's rate; drop-frame files say so and use ";".
TEST_F(LoggerSave, RecordTimesAtEachFrameRate) {
    const struct {
        vemo::core::FrameRate rate;
        const char* fcm;
        const char* in;
        const char* out;
        const char* recordOut;
    } cases[] = {
        {vemo::core::FrameRate::Fps25, "NON-DROP FRAME", "00:00:10:20", "00:00:12:05",
         "01:00:01:10"},
        // Across the record side's own minute: 01:00:59;29 is followed by 01:01:00;02.
        {vemo::core::FrameRate::Df2997, "DROP FRAME", "00:10:00;00", "00:11:00;02", "01:01:00;02"},
    };
    for (const auto& c : cases) {
        edl.setFrameRate(c.rate);
        setClip(0, c.in, c.out);
        ASSERT_TRUE(save().saved) << log;
        const std::string recordIn =
            vemo::core::isDropFrame(c.rate) ? "01:00:00;00" : "01:00:00:00";
        EXPECT_EQ(saved(),
                  "TITLE: edl.txt \r\nREM Made by Vemo Test \r\nFCM: " + std::string(c.fcm) +
                      " \r\n" +
                      event("001", "Name01 ",
                            std::string(c.in) + " " + c.out + " " + recordIn + " " + c.recordOut));
    }
    // A frame the rate has not got is refused as any broken time is.
    edl.setFrameRate(vemo::core::FrameRate::Fps25);
    setClip(0, "00:00:10:00", "00:00:10:25");
    EXPECT_FALSE(save().saved);
}

TEST_F(LoggerSave, OtherSeparatorGivesTheDropFrameHeader) {
    edl.mainFCMString = ";";
    save();
    EXPECT_NE(saved().find("\r\nFCM: DROP FRAME \r\n"), std::string::npos);
    EXPECT_NE(saved().find(" 01:00:00;00 01:00:00:00 \r\n"), std::string::npos);
}
