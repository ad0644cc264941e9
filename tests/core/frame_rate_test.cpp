#include "core/frame_rate.h"

#include <gtest/gtest.h>

#include "core/edl/logger_timecode.h"

namespace vemo::core {
namespace {

TEST(FrameRate, NamesReadAndWritten) {
    const struct {
        const char* text;
        std::optional<FrameRate> rate;
    } cases[] = {{"30", FrameRate::Fps30},
                 {"25", FrameRate::Fps25},
                 {"29.97DF", FrameRate::Df2997},
                 {"29.97 df", FrameRate::Df2997},
                 {"29.97", std::nullopt},
                 {"24", std::nullopt},
                 {"", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(parseFrameRate(c.text), c.rate) << c.text;
        if (c.rate) {
            EXPECT_EQ(parseFrameRate(frameRateName(*c.rate)), c.rate);
        }
    }
}

// Time texts at each rate: whether they name a frame, and their frame count.
TEST(FrameRate, LabelsAndCounts) {
    const struct {
        FrameRate rate;
        const char* text;
        bool valid;
        std::int64_t count;
    } cases[] = {
        {FrameRate::Fps30, "01:10:00:00", true, 126000},
        {FrameRate::Fps30, "00:00:10:29", true, 329},
        {FrameRate::Fps30, "00:00:10:30", false, 330},
        {FrameRate::Fps25, "00:00:10:24", true, 274},
        {FrameRate::Fps25, "00:00:10:25", false, 275},
        {FrameRate::Fps25, "01:00:00:00", true, 90000},
        {FrameRate::Df2997, "00:00:59;29", true, 1799},
        {FrameRate::Df2997, "00:01:00;00", false, 1798},
        {FrameRate::Df2997, "00:01:00;01", false, 1799},
        {FrameRate::Df2997, "00:01:00;02", true, 1800},
        {FrameRate::Df2997, "00:10:00;00", true, 17982},
        {FrameRate::Df2997, "01:00:00;00", true, 107892},
        {FrameRate::Df2997, "00:99:00;00", false, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(loggertc::isValidTimeText(c.text, c.rate), c.valid) << c.text;
        if (c.count >= 0) {
            EXPECT_EQ(loggertc::frameCount(c.text, c.rate), c.count) << c.text;
        }
        if (c.valid) {
            const std::string sep(1, c.text[8]);
            EXPECT_EQ(loggertc::timeText(c.count, sep, c.rate), c.text);
        }
    }
}

// Every frame of an hour round-trips, and drop-frame skips exactly ;00 and ;01 at each
// minute but every tenth.
TEST(FrameRate, EveryFrameOfAnHourRoundTrips) {
    for (FrameRate rate : {FrameRate::Fps30, FrameRate::Fps25, FrameRate::Df2997}) {
        const std::int64_t hour = frameCountOf(rate, TimeFields{1, 0, 0, 0});
        int skipped = 0;
        TimeFields before = fieldsOfFrameCount(rate, 0);
        for (std::int64_t n = 1; n <= hour; ++n) {
            const TimeFields t = fieldsOfFrameCount(rate, n);
            ASSERT_TRUE(namesFrame(rate, t)) << n;
            ASSERT_EQ(frameCountOf(rate, t), n);
            if (t.frames != (before.frames + 1) % framesPerSecond(rate)) {
                ASSERT_TRUE(isDropFrame(rate));
                ASSERT_EQ(t.seconds, 0);
                ASSERT_EQ(t.frames, 2);
                ASSERT_NE(t.minutes % 10, 0);
                ++skipped;
            }
            before = t;
        }
        EXPECT_EQ(skipped, isDropFrame(rate) ? 54 : 0);
    }
}

}  // namespace
}  // namespace vemo::core
