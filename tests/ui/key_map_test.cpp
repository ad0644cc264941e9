// The console's keys as plain data: which stroke does what, where, and the J/L speed steps.
#include <gtest/gtest.h>

#include <set>

#include "ui/key_map.h"

namespace vemo::test {
namespace {

using ui::KeyAction;
using ui::KeyStroke;

TEST(KeyMap, StrokesAndTheWindowsTheyWorkIn) {
    struct Case {
        KeyStroke stroke;
        std::optional<KeyAction> inMain;
        std::optional<KeyAction> inLogger;
    };
    const std::vector<Case> cases = {
        {{'J'}, KeyAction::ShuttleReverse, KeyAction::ShuttleReverse},
        {{'K'}, KeyAction::ShuttleStop, KeyAction::ShuttleStop},
        {{'L'}, KeyAction::ShuttleForward, KeyAction::ShuttleForward},
        {{ui::kKeySpace}, KeyAction::PlayStop, KeyAction::PlayStop},
        {{ui::kKeyLeft}, KeyAction::JogReverse, KeyAction::JogReverse},
        {{ui::kKeyRight}, KeyAction::JogForward, KeyAction::JogForward},
        {{'I'}, KeyAction::SetIn, KeyAction::SetIn},
        {{'O'}, KeyAction::SetOut, KeyAction::SetOut},
        {{'I', true}, KeyAction::CueIn, KeyAction::CueIn},
        {{'O', true}, KeyAction::CueOut, KeyAction::CueOut},
        {{'R'}, KeyAction::Review, KeyAction::Review},
        {{ui::kKeyF1}, KeyAction::Help, KeyAction::Help},
        {{'M'}, std::nullopt, KeyAction::MarkNext},
        {{'S', false, true}, std::nullopt, KeyAction::Save},
        {{'O', false, true}, std::nullopt, KeyAction::Load},
        {{'S'}, std::nullopt, std::nullopt},
        {{'J', false, true}, std::nullopt, std::nullopt},
        {{'R', true}, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.stroke.key) + (c.stroke.shift ? " shift" : "") +
                     (c.stroke.ctrl ? " ctrl" : ""));
        EXPECT_EQ(ui::keyActionFor(c.stroke, false), c.inMain);
        EXPECT_EQ(ui::keyActionFor(c.stroke, true), c.inLogger);
    }
    // One stroke, one action: the table has no two rows for the same stroke.
    std::set<std::tuple<int, bool, bool>> strokes;
    for (const ui::KeyBinding& b : ui::keyBindings())
        EXPECT_TRUE(strokes.emplace(b.stroke.key, b.stroke.shift, b.stroke.ctrl).second)
            << b.keyText;
}

TEST(KeyMap, HintsNameEveryKeyOfTheirControl) {
    EXPECT_EQ(ui::keyHintFor("bcue", false), "Shift+I: cue to the in point");
    EXPECT_EQ(ui::keyHintFor("vsb", false),
              "J: shuttle reverse; again: faster\nK: shuttle stop (still picture)\n"
              "L: shuttle forward; again: faster");
    EXPECT_EQ(ui::keyHintFor("SaveButton", true), "Ctrl+S: save the list");
    EXPECT_EQ(ui::keyHintFor("SaveButton", false), "");
    EXPECT_EQ(ui::keyHintFor("bstop", false), "");
    EXPECT_EQ(ui::keyHintFor("", true), "") << "keys without a control have no tooltip";
}

TEST(ShuttleStepper, RepeatsStepUpAndTheOtherWayStartsAgain) {
    ui::ShuttleStepper s;
    EXPECT_FALSE(s.running());
    EXPECT_EQ(s.speed(), 0);
    // Each row: a press (true: L) and the speed it sends.
    const std::vector<std::pair<bool, int>> presses = {
        {true, 64},  {true, 74},  {true, 84}, {true, 94}, {true, 94},  // to the last step
        {false, 64}, {false, 74}, {true, 64},                          // reversing restarts
    };
    for (auto [forward, speed] : presses) {
        EXPECT_EQ(s.press(forward), speed);
        EXPECT_EQ(s.direction(), forward ? ui::ShuttleStepper::Direction::Forward
                                         : ui::ShuttleStepper::Direction::Reverse);
    }
    s.stop();
    EXPECT_FALSE(s.running());
    EXPECT_EQ(s.press(false), 64) << "after K the first step again";
}

TEST(ShuttleStepper, SliderShowsTheSpeedTheKeysSet) {
    for (int speed : ui::ShuttleStepper::kSpeeds) {
        // The slider's own rule turns the value back into the same speed.
        EXPECT_EQ((ui::sliderValueFor(speed, true) - 48) * 2, speed);
        EXPECT_EQ((48 - ui::sliderValueFor(speed, false)) * 2, speed);
    }
    EXPECT_EQ(ui::sliderValueFor(94, true), 95) << "the slider's last value";
}

}  // namespace
}  // namespace vemo::test
