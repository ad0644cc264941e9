#pragma once

#include <QString>

#include "core/frame_rate.h"

namespace vemo::ui {

// The status line's tooltip for a text: the whole text, and for a review's length its unit
// and its time at the console's frame rate ("Reviewing Clip of Duration= 91 frames,
// 00:00:03:01").
QString statusToolTip(const QString& text, core::FrameRate rate);

}  // namespace vemo::ui
