// The console's keys as plain data: which stroke does what, where, and the J/L speed steps.
#include <gtest/gtest.h>

#include "ui/key_map.h"

namespace vemo::test {
namespace {

using A = ui::KeyAction;

TEST(KeyMap, StrokesAndTheWindowsTheyWorkIn) {
    // Stroke, its action in the main window, in the logger.
    const std::vector<std::tuple<ui::KeyStroke, std::optional<A>, std::optional<A>>> cases = {
        {{'J'}, A::ShuttleReverse, A::ShuttleReverse},
        {{'K'}, A::ShuttleStop, A::ShuttleStop},
        {{ui::kKeySpace}, A::PlayStop, A::PlayStop},
        {{'I'}, A::SetIn, A::SetIn},
        {{'I', true}, A::CueIn, A::CueIn},
        {{'O', true}, A::CueOut, A::CueOut},
        {{'M'}, std::nullopt, A::MarkNext},
        {{'S', false, true}, std::nullopt, A::Save},
        {{'O', false, true}, std::nullopt, A::Load},
        {{'S'}, std::nullopt, std::nullopt},
        {{'R', true}, std::nullopt, std::nullopt},
    };
    for (const auto& [stroke, inMain, inLogger] : cases) {
        EXPECT_EQ(ui::keyActionFor(stroke, false), inMain) << stroke.key;
        EXPECT_EQ(ui::keyActionFor(stroke, true), inLogger) << stroke.key;
    }
    EXPECT_EQ(ui::keyHintFor("bcue", false), "Shift+I: cue to the in point");
}

TEST(ShuttleStepper, RepeatsStepUpAndTheOtherWayStartsAgain) {
    ui::ShuttleStepper s;
    // Each press (true: L) and the speed it sends: up to the last step, reversing restarts.
    const std::vector<std::pair<bool, int>> presses = {
        {true, 64}, {true, 74}, {true, 84}, {true, 94}, {true, 94}, {false, 64}, {true, 64},
    };
    for (auto [forward, speed] : presses)
        EXPECT_EQ(s.press(forward), speed);
    EXPECT_TRUE(s.running());
    s.stop();
    EXPECT_FALSE(s.running());
    EXPECT_EQ(s.press(true), 64) << "after K the first step again";
}

}  // namespace
}  // namespace vemo::test
