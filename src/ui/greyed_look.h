#pragma once

class QWidget;

namespace vemo::ui {

// Every disabled button of the console looks the same, whatever its colours while enabled
// (the red REC and SCRIPT captions included): a dark grey face with a grey caption. Set once
// per control: enabling or disabling it then changes no palette, so the style need not draw
// and cache the control afresh on every cue.
void greyWhenDisabled(QWidget& control);

}  // namespace vemo::ui
