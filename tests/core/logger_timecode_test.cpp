#include <gtest/gtest.h>

#include "core/edl/logger_edl.h"
#include "core/edl/logger_timecode.h"
#include "support/stdout_capture.h"

using vemo::core::LoggerEDL;
using vemo::core::LoggerTable;
using vemo::test::StdoutCapture;
namespace tc = vemo::core::loggertc;

TEST(LoggerTable, StartsWithNumberedNamesAndEmptyTimes) {
    LoggerTable t;
    EXPECT_EQ(t.EdNumArray[0], "001");
    EXPECT_EQ(t.EdNumArray[41], "042");
    EXPECT_EQ(t.EdNumArray[99], "100");
    EXPECT_EQ(t.ClipNameArray[0], "Name01");
    EXPECT_EQ(t.ClipNameArray[98], "Name99");
    EXPECT_EQ(t.ClipNameArray[99], "Name00");
    for (int i = 0; i < LoggerTable::NumEntries; ++i) {
        ASSERT_EQ(t.SrcInArray[i], "00:00:00:00");
        ASSERT_EQ(t.SrcOutArray[i], "00:00:00:00");
    }
}

TEST(LoggerFieldCounts, DropFrameAndNonDrop) {
    LoggerEDL edl;
    EXPECT_EQ(edl.CalcDRFCount("01:10:00:00"), 251748);
    EXPECT_EQ(edl.TC2FieldsDF("01:10:00:00"), 251748);
    EXPECT_EQ(edl.TC2FieldsNDF("01:10:00:00"), 252000);
    EXPECT_EQ(edl.Extracthmsf("02:13:14:15"), 2 * 216000 + 13 * 3600 + 14 * 60 + 15 * 2);
    EXPECT_EQ(edl.h, 2);
    EXPECT_EQ(edl.m, 13);
    EXPECT_EQ(edl.s, 14);
    EXPECT_EQ(edl.fr, 15);
    EXPECT_EQ(edl.DRFCountcor(), 2 * 216 + 1 * 36 + 3 * 4);
    // Separators are never looked at; a broken or short text reads its bad pairs as 0.
    EXPECT_EQ(edl.TC2FieldsNDF("01;10.00;00"), 252000);
    EXPECT_EQ(edl.TC2FieldsNDF("01:1x:00"), 216000);
    EXPECT_EQ(edl.TC2FieldsNDF(""), 0);
}

TEST(LoggerFieldCounts, SmpteStringPadsAndLogs) {
    LoggerEDL edl;
    StdoutCapture log;
    edl.SMPTEstring(1, 2, 3, 4);
    EXPECT_EQ(edl.SMPTE, "01:02:03:04");
    edl.SMPTEstring(100, 0, 0, 0);
    EXPECT_EQ(edl.SMPTE, "100:00:00:00");
    EXPECT_EQ(log.text(), "01:02:03:04\n100:00:00:00\n");
}

TEST(LoggerTimeText, WellFormedOnly) {
    EXPECT_TRUE(tc::isTimeText("00:00:10:00"));
    EXPECT_TRUE(tc::isTimeText("00:00:10;29"));
    EXPECT_FALSE(tc::isTimeText(""));
    EXPECT_FALSE(tc::isTimeText("0:00:10:00"));
    EXPECT_FALSE(tc::isTimeText("00:00:10:000"));
    EXPECT_FALSE(tc::isTimeText("00:0a:10:00"));
    EXPECT_FALSE(tc::isTimeText("00:00:10: 0"));
    EXPECT_EQ(tc::frameCount("01:02:03:04"), 108000 + 2 * 1800 + 3 * 30 + 4);
    EXPECT_EQ(tc::frameCount("01:02:03"), -1);
    EXPECT_EQ(tc::recordFrameCount("100:00:00:01"), 100 * 108000 + 1);
    EXPECT_EQ(tc::recordFrameCount("1x0:00:00:01"), -1);
}

TEST(LoggerTimeText, RecordOutCarriesHoursPast99) {
    LoggerEDL edl;
    EXPECT_EQ(edl.MakeZeroString2("01:00:00:00", 300), "01:00:10:00");
    EXPECT_EQ(edl.MakeZeroString2("01:00:00:00", 1), "01:00:00:01");
    EXPECT_EQ(edl.MakeZeroString2("99:59:59:29", 1), "100:00:00:00");
    EXPECT_EQ(edl.MakeZeroString2("100:00:00:00", 30), "100:00:01:00");
    EXPECT_EQ(edl.MakeZeroString2("23:59:59:29", 1), "24:00:00:00");
    edl.FCMString = ";";
    EXPECT_EQ(edl.MakeZeroString2("01:00:00:00", 29), "01:00:00;29");
}

TEST(LoggerDuration, ReadsTheEntryAndRefusesBrokenTimes) {
    LoggerEDL edl;
    edl.table.SrcInArray[3] = "00:00:10:00";
    edl.table.SrcOutArray[3] = "00:00:20:15";
    ASSERT_TRUE(edl.getduration(3));
    EXPECT_EQ(edl.startframes, 300);
    EXPECT_EQ(edl.endframes, 615);
    EXPECT_EQ(edl.duration, 315);
    edl.table.SrcOutArray[3] = "00:00:2";
    EXPECT_FALSE(edl.getduration(3));
    EXPECT_EQ(edl.duration, 0);
    EXPECT_FALSE(edl.getduration(100));
    EXPECT_FALSE(edl.getduration(-1));
}

TEST(LoggerSourceTimes, TakesTheFirstTwoTimesOfAnEventLine) {
    LoggerEDL edl;
    using ST = LoggerEDL::SourceTimes;
    std::string one =
        "001  AX       V     C        00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00";
    EXPECT_EQ(edl.getsourcetime(one), ST::Taken);
    EXPECT_EQ(edl.timestring1, "00:00:05:00");
    EXPECT_EQ(edl.timestring2, "00:00:07:00");

    std::string two =
        "001  AX       V     C        00:00:06:00  00:00:08:00 01:00:00:00 01:00:02:00";
    EXPECT_EQ(edl.getsourcetime(two), ST::Taken);
    EXPECT_EQ(edl.timestring1, "00:00:06:00");
    EXPECT_EQ(edl.timestring2, "00:00:08:00");

    // Nothing taken: too short, first ":" before position 20, no digit before it.
    EXPECT_EQ(edl.getsourcetime("001  AX  00:00:01:00"), ST::Unchanged);
    EXPECT_EQ(edl.getsourcetime("001  AX  V  C  00:00:01:00 00:00:02:00 01:00:00:00 01:00:01:00"),
              ST::Unchanged);
    EXPECT_EQ(edl.getsourcetime("001  AX       V     C        xx:00:05:00 00:00:07:00"),
              ST::Unchanged);
    EXPECT_EQ(edl.timestring1, "00:00:06:00");

    // The out would run past the end of the line: nothing changes, the caller is told.
    EXPECT_EQ(edl.getsourcetime("001  AX       V     C        00:00:05:00 00:00:0"), ST::PastEnd);
    EXPECT_EQ(edl.getsourcetime("001  AX       V     C        00:00:05:00  00:00:07:0"),
              ST::PastEnd);
    EXPECT_EQ(edl.getsourcetime("001  AX       V     C        00:00:05"), ST::PastEnd);
    EXPECT_EQ(edl.timestring1, "00:00:06:00");
    EXPECT_EQ(edl.timestring2, "00:00:08:00");
}

TEST(LoggerSourceTimes, VerboseLogsThePair) {
    LoggerEDL edl;
    edl.verbose = true;
    StdoutCapture log;
    edl.getsourcetime(
        "001  AX       V     C        00:00:05:00 00:00:07:00 01:00:00:00 01:00:02:00");
    EXPECT_EQ(log.text(), "00:00:05:00 00:00:07:00\n");
}
