#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemo::ui {

// What a key does in the console's windows. Plain data: the windows turn an action into
// the same call their buttons make.
enum class KeyAction {
    ShuttleReverse,
    ShuttleStop,
    ShuttleForward,
    PlayStop,
    JogReverse,
    JogForward,
    SetIn,
    SetOut,
    CueIn,
    CueOut,
    Review,
    MarkNext,
    Save,
    Load,
    Help,
};

// Where a key works: in both the main window and the logger, or in the logger only.
enum class KeyScope { Both, Logger };

// A key as the windows see it: the key code (a letter's upper-case code, or one of the few
// named keys below) and whether Shift or Ctrl is held.
struct KeyStroke {
    int key;
    bool shift = false;
    bool ctrl = false;

    bool operator==(const KeyStroke&) const = default;
};

// Key codes of the named keys (the window toolkit's own values).
inline constexpr int kKeySpace = 0x20;
inline constexpr int kKeyLeft = 0x01000012;
inline constexpr int kKeyRight = 0x01000014;
inline constexpr int kKeyF1 = 0x01000030;

// One key of the console: the stroke, how it is written, what it does, where it works, and
// the control whose tooltip names it in the main window and in the logger ("" for none;
// "setin*" stands for every row's set-in and set-out buttons).
struct KeyBinding {
    KeyAction action;
    KeyStroke stroke;
    std::string_view keyText;
    std::string_view what;
    KeyScope scope;
    std::string_view mainControl;
    std::string_view loggerControl;
};

// Every key, in the order the help window lists them.
const std::vector<KeyBinding>& keyBindings();

// The action of a stroke in the main window (inLogger false) or the logger; nothing when the
// stroke is not a key of that window.
std::optional<KeyAction> keyActionFor(const KeyStroke& stroke, bool inLogger);

// "key: what" for every key whose tooltip belongs to the control, one per line.
std::string keyHintFor(std::string_view control, bool inLogger);

// J, K and L: each press of J or L in the direction already running steps the shuttle one
// speed up (to the last step); a press the other way, or after K, starts at the first step.
class ShuttleStepper {
  public:
    enum class Direction { Stopped, Forward, Reverse };

    // Shuttle speed bytes: about 1, 2, 4 and 8 times play speed on the deck's logarithmic
    // scale (64 is play speed; every 32 more is ten times faster). The last is the fastest
    // speed the shuttle slider reaches.
    static constexpr int kSpeeds[] = {64, 74, 84, 94};
    static constexpr int kSteps = 4;

    // The speed to send for a press of J (forward false) or L.
    int press(bool forward);
    // K, or any other transport command: the next J or L starts again from the first step.
    void stop() {
        direction_ = Direction::Stopped;
        step_ = 0;
    }
    Direction direction() const { return direction_; }
    bool running() const { return direction_ != Direction::Stopped; }
    int speed() const { return running() ? kSpeeds[step_] : 0; }

  private:
    Direction direction_ = Direction::Stopped;
    int step_ = 0;
};

// The shuttle slider's value for a shuttle speed (forward or reverse), so the slider shows
// what the keys set: the inverse of the slider's own speed rule.
int sliderValueFor(int speed, bool forward);

}  // namespace vemo::ui
