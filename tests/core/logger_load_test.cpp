#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "core/edl/logger_edl.h"
#include "support/edl_samples.h"
#include "support/stdout_capture.h"
#include "support/temp_dir.h"

using vemo::core::LoggerEDL;
using vemo::core::LoggerLoadResult;
using vemo::core::LoggerTable;
using vemo::test::StdoutCapture;
using vemo::test::TempDir;

namespace {
// Columns as a CMX 3600 list lays them out: first time at position 29.
std::string cmx(const std::string& number, const std::string& reel, const std::string& track,
                const std::string& transition, const std::string& times) {
    std::string line = number + "  " + reel;
    line.resize(14, ' ');
    line += track;
    line.resize(20, ' ');
    line += transition;
    if (line.size() < 29)
        line.resize(29, ' ');
    else
        line += ' ';
    return line + times;
}

class LoggerLoad : public ::testing::Test {
  protected:
    LoggerLoadResult load(const std::string& bytes) {
        dir.write("in.edl", bytes);
        return loadPath(dir.file("in.edl").string());
    }
    LoggerLoadResult loadPath(const std::string& path) {
        StdoutCapture capture;
        LoggerLoadResult result = edl.LoadEDL(path);
        log = capture.lines();
        return result;
    }
    void expectEntry(int i, const std::string& name, const std::string& in,
                     const std::string& out) {
        EXPECT_EQ(edl.table.ClipNameArray[i], name) << "entry " << i + 1;
        EXPECT_EQ(edl.table.SrcInArray[i], in) << "entry " << i + 1;
        EXPECT_EQ(edl.table.SrcOutArray[i], out) << "entry " << i + 1;
    }
    void expectFresh(int from) {
        LoggerTable fresh;
        for (int i = from; i < LoggerTable::NumEntries; ++i) {
            expectEntry(i, fresh.ClipNameArray[i], fresh.SrcInArray[i], fresh.SrcOutArray[i]);
        }
    }

    TempDir dir;
    LoggerEDL edl;
    std::vector<std::string> log;
};

const std::string Title = "TITLE: test\r\nFCM: NON-DROP FRAME\r\n";
}  // namespace

TEST_F(LoggerLoad, CmxLinesWithOneOrTwoBlanksBetweenSourceTimes) {
    LoggerLoadResult r = load(
        Title + cmx("001", "AX", "V", "C", "00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00") +
        "\r\n" + cmx("002", "BX", "V", "C", "00:00:05:00  00:00:07:00 01:00:02:00 01:00:04:00") +
        "\r\n");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.count, 2);
    expectEntry(0, "AX", "00:00:05:00", "00:00:07:00");
    expectEntry(1, "BX", "00:00:05:00", "00:00:07:00");
    expectFresh(2);
    EXPECT_EQ(edl.table.EdNumArray[0], "001");
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.front(), " ");
    EXPECT_EQ(log.back(), " ");
}

TEST_F(LoggerLoad, EarlyColonTakesThePreviousTimes) {
    std::string early = "003  CX  V  C  00:00:01:00 00:00:02:00 01:00:04:00 01:00:05:00 extra text";
    ASSERT_LT(early.find(':'), 20u);
    load(Title + cmx("001", "AX", "V", "C", "00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00") +
         "\n" + early + "\n");
    expectEntry(1, "CX", "00:00:05:00", "00:00:07:00");
}

TEST_F(LoggerLoad, LineEndsOfEveryKindAndALastLineWithoutOne) {
    std::string a = cmx("001", "A1", "V", "C", "00:00:01:00 00:00:02:00 01:00:00:00 01:00:01:00");
    std::string b = cmx("002", "B2", "V", "C", "00:00:03:00 00:00:04:00 01:00:01:00 01:00:02:00");
    std::string c = cmx("003", "C3", "V", "C", "00:00:05:00 00:00:06:00 01:00:02:00 01:00:03:00");
    std::string d = cmx("004", "D4", "V", "C", "00:00:07:00 00:00:08:00 01:00:03:00 01:00:04:00");
    EXPECT_EQ(load("TITLE: x\r" + a + "\n" + b + "\r" + c + "\r\n\r\n" + d).count, 4);
    expectEntry(0, "A1", "00:00:01:00", "00:00:02:00");
    expectEntry(3, "D4", "00:00:07:00", "00:00:08:00");
}

TEST_F(LoggerLoad, FiveOverTenKeepsTheRestAndSavesTen) {
    for (int i = 0; i < 10; ++i) {
        edl.table.ClipNameArray[i] = "OLD" + std::to_string(i);
        edl.table.SrcInArray[i] = "00:10:00:00";
        edl.table.SrcOutArray[i] = "00:10:01:00";
    }
    std::string text = Title;
    for (int i = 1; i <= 5; ++i) {
        text += cmx("00" + std::to_string(i), "NEW" + std::to_string(i), "V", "C",
                    "00:00:0" + std::to_string(i) + ":00 00:00:0" + std::to_string(i) +
                        ":10 01:00:00:00 01:00:00:10") +
                "\r\n";
    }
    EXPECT_EQ(load(text).count, 5);
    expectEntry(4, "NEW5", "00:00:05:00", "00:00:05:10");
    for (int i = 5; i < 10; ++i)
        expectEntry(i, "OLD" + std::to_string(i), "00:10:00:00", "00:10:01:00");
    StdoutCapture quiet;
    EXPECT_EQ(edl.SaveEDL(dir.file("out.edl").string()).eventsWritten, 10);
}

TEST_F(LoggerLoad, NotAnEdlChangesNothingAndSaysNothing) {
    LoggerLoadResult r =
        load("F" + Title.substr(1) +
             cmx("001", "AX", "V", "C", "00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00"));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.count, 0);
    expectFresh(0);
    EXPECT_EQ(log, (std::vector<std::string>{" ", " "}));
}

TEST_F(LoggerLoad, EmptyMissingAndFolderFail) {
    LoggerLoadResult r = load("");
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], " ");
    EXPECT_TRUE(log[1].starts_with("FileIOError: ") && log[1].ends_with(" 1")) << log[1];
    EXPECT_EQ(log[2], " ");

    r = loadPath(dir.file("missing.edl").string());
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(log[1].starts_with("FileStreamError: ")) << log[1];

    r = loadPath(dir.path().string());
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(log[1].starts_with("FileIOError: ") && log[1].ends_with(" 1")) << log[1];
    expectFresh(0);
}

TEST_F(LoggerLoad, SourceOutPastTheLineEndStopsKeepingWhatWasRead) {
    std::string good =
        cmx("001", "AX", "V", "C", "00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00");
    std::string cut = cmx("002", "BX", "V", "C", "                            00:00:05:00 00:00:0");
    std::string after =
        cmx("003", "CX", "V", "C", "00:00:09:00 00:00:10:00 01:00:00:00 01:00:02:00");
    LoggerLoadResult r = load(Title + good + "\n" + cut + "\n" + after + "\n");
    EXPECT_EQ(r.count, 1);
    EXPECT_TRUE(r.stoppedAtShortLine);
    EXPECT_EQ(r.statusMessage,
              "EDL line 4 ends before its source out: loading stopped after entry 1");
    expectEntry(0, "AX", "00:00:05:00", "00:00:07:00");
    expectFresh(1);
}

// Lines that are no event line never become clips and never end a load.
TEST_F(LoggerLoad, LinesThatAreNoEventsArePassedOver) {
    std::string good =
        cmx("001", "AX", "V", "C", "00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00");
    for (const std::string& other :
         {"002  " + std::string(70, 'x'), "* " + std::string(70, '='),
          "* FROM CLIP NAME: " + std::string(50, 'M') + " 00:00:01:00 00:00:02:00",
          "M2   AX       020.0                00:00:10:00" + std::string(20, ' '),
          "SPLIT:     AUDIO DELAY=  00:00:00:05 " + std::string(30, '-'),
          ">>> SOURCE AX      00:00:05:00 00:00:07:00 " + std::string(20, '.')}) {
        ASSERT_GT(other.size(), 60u);
        EXPECT_EQ(load(Title + good + "\n" + other + "\n" + good + "\n").count, 2) << other;
        expectEntry(1, "AX", "00:00:05:00", "00:00:07:00");
    }
}

TEST_F(LoggerLoad, AtMostOneHundredEntries) {
    std::string text = Title;
    for (int i = 0; i < 120; ++i) {
        text += cmx("001", "R" + std::to_string(i), "V", "C",
                    "00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00") +
                "\n";
    }
    EXPECT_EQ(load(text).count, 100);
    expectEntry(99, "R99", "00:00:05:00", "00:00:07:00");
}

TEST_F(LoggerLoad, VerbosePrintsEveryLongerLine) {
    edl.verbose = true;
    std::string line =
        cmx("001", "AX", "V", "C", "00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00");
    load("TITLE: x\r\nabc\r\n" + line + "\r\n");
    EXPECT_EQ(log,
              (std::vector<std::string>{" ", "ITLE: x", line, "00:00:05:00 00:00:07:00", " "}));
}

TEST_F(LoggerLoad, SaveAndLoadRoundTrip) {
    LoggerEDL source;
    source.savename = "round.edl";
    const char* names[] = {"A", "", "REEL_0042", "TAPE12"};
    for (int i = 0; i < 4; ++i) {
        source.table.ClipNameArray[i] = names[i];
        source.table.SrcInArray[i] = "0" + std::to_string(i) + ":11:22:03";
        source.table.SrcOutArray[i] = "0" + std::to_string(i) + ":12:00:00";
    }
    {
        StdoutCapture quiet;
        ASSERT_TRUE(source.SaveEDL(dir.file("round.edl").string()).saved);
    }
    EXPECT_EQ(loadPath(dir.file("round.edl").string()).count, 4);
    expectEntry(0, "A", "00:11:22:03", "00:12:00:00");
    expectEntry(1, "S", "01:11:22:03", "01:12:00:00");  // an empty name is written "S"
    expectEntry(2, "REEL_0", "02:11:22:03", "02:12:00:00");
    expectEntry(3, "TAPE12", "03:11:22:03", "03:12:00:00");
    expectFresh(4);
}

TEST_F(LoggerLoad, RealCmx3600List) {
    std::string text =
        "TITLE: REAL LIST\r\n"
        "FCM: DROP FRAME\r\n"
        "\r\n" +
        cmx("001", "AX", "V", "C", "00:00:05;00 00:00:07;00 01:00:00;00 01:00:02;00") + "\r\n" +
        "* FROM CLIP NAME: interview_take_one.mov\r\n"
        "* COMMENT: a comment line that is long enough to pass sixty chars\r\n" +
        cmx("002", "AX", "V", "C", "00:00:10:00 00:00:10:00 01:00:02:00 01:00:02:00") + "\r\n" +
        cmx("002", "BX", "V", "D    030", "00:00:10:00 00:00:12:00 01:00:02:00 01:00:04:00") +
        "\r\n" + "M2   BX       020.0                00:00:10:00\r\n" +
        cmx("003", "CX", "A2", "C", "00:00:20:00 00:00:22:00 01:00:04:00 01:00:06:00") + "\r\n" +
        "* TO CLIP NAME: b.mov\r\n";
    ASSERT_EQ(cmx("002", "BX", "V", "D    030", "00:00:10:00"),
              "002  BX       V     D    030 00:00:10:00");
    LoggerLoadResult r = load(text);
    EXPECT_TRUE(r.ok);
    // Comment lines, however long, are no events.
    EXPECT_EQ(r.count, 4);
    expectEntry(0, "AX", "00:00:05;00", "00:00:07;00");
    expectEntry(1, "AX", "00:00:10:00", "00:00:10:00");
    expectEntry(2, "BX", "00:00:10:00", "00:00:12:00");
    expectEntry(3, "CX", "00:00:20:00", "00:00:22:00");
    expectFresh(4);
    // A drop-frame list loaded at 30 fps: one warning.
    EXPECT_NE(r.rateWarning.find("it is drop-frame"), std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), r.rateWarning), 1);
    // Drop-frame source times are saved as they were read.
    StdoutCapture quiet;
    EXPECT_EQ(edl.SaveEDL(dir.file("again.edl").string()).eventsWritten, 4);
    EXPECT_NE(dir.read("again.edl").find(" 00:00:05;00 00:00:07;00 01:00:00:00 01:00:02:00 \r\n"),
              std::string::npos);
}

// Lists as editing systems write them load to the clips an editor sees in them.
TEST_F(LoggerLoad, DialectsOfEditingSystems) {
    for (const auto& sample : vemo::test::edlSamples()) {
        LoggerEDL fresh;
        fresh.setFrameRate(sample.rate);
        StdoutCapture quiet;
        LoggerLoadResult r = fresh.LoadEDLBytes(sample.text);
        ASSERT_EQ(r.count, static_cast<int>(sample.clips.size())) << sample.dialect;
        for (std::size_t i = 0; i < sample.clips.size(); ++i) {
            EXPECT_EQ(fresh.table.ClipNameArray[i], sample.clips[i].reel) << sample.dialect;
            EXPECT_EQ(fresh.table.SrcInArray[i], sample.clips[i].in) << sample.dialect;
            EXPECT_EQ(fresh.table.SrcOutArray[i], sample.clips[i].out) << sample.dialect;
        }
        EXPECT_EQ(r.rateWarning, "") << sample.dialect;
        // Loaded at a rate that is not the list's, the same clips come with one warning.
        fresh.setFrameRate(vemo::core::isDropFrame(sample.rate) ? vemo::core::FrameRate::Fps30
                                                                : vemo::core::FrameRate::Df2997);
        EXPECT_NE(fresh.LoadEDLBytes(sample.text).rateWarning, "") << sample.dialect;
    }
    // A mark that is not followed by the rest of one still means "not an EDL".
    EXPECT_EQ(load("\xEF\xBB" + Title).count, 0);
    // Blanks before the title cannot be seen in an editor: the list loads as without them.
    const std::string event =
        cmx("001", "AX", "V", "C", "00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00");
    EXPECT_EQ(load(" \t " + Title + event).count, 1);
    EXPECT_EQ(load(" \r\n  " + Title + event).count, 1);
    edl.setFrameRate(vemo::core::FrameRate::Fps25);
    EXPECT_NE(
        load(Title + cmx("001", "AX", "V", "C", "00:00:05:28 00:00:07:00 01:00:00:00 01:00:01:02"))
            .rateWarning.find("frame numbers past 24"),
        std::string::npos);
}

TEST_F(LoggerLoad, ArbitraryBytesNeverHarm) {
    std::mt19937 random(12345);
    const std::string alphabet = "T 0123456789:;\r\n\tx\0\xff";
    for (int round = 0; round < 300; ++round) {
        std::string bytes = "T";
        std::size_t size = random() % 2000;
        for (std::size_t i = 0; i < size; ++i) {
            bytes.push_back(round % 2 ? static_cast<char>(random() & 0xFF)
                                      : alphabet[random() % alphabet.size()]);
        }
        LoggerEDL fuzzed;
        StdoutCapture quiet;
        LoggerLoadResult r = fuzzed.LoadEDLBytes(bytes);
        ASSERT_GE(r.count, 0);
        ASSERT_LE(r.count, 100);
    }
    // A line far longer than any EDL line is cut, not kept whole: its times are lost and
    // the entry takes the (empty) times before it.
    std::string huge = "T\n001  AX " + std::string(200000, '0') + ":00:00:00 00:00:01:00\n";
    EXPECT_EQ(load(huge).count, 1);
    expectEntry(0, "AX", "", "");
}
