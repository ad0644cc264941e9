#include "core/frame_rate.h"

#include <gtest/gtest.h>

namespace vemo::core {
namespace {

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
