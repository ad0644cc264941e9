#include "ui/status_tooltip.h"

#include <cstdlib>

#include "deck/timecode.h"

namespace vemo::ui {

QString statusToolTip(const QString& text, core::FrameRate rate) {
    static const QString kDuration = QStringLiteral("Reviewing Clip of Duration= ");
    if (!text.startsWith(kDuration))
        return text;
    bool number = false;
    const int frames = text.mid(kDuration.size()).toInt(&number);
    if (!number)
        return text;
    // An out point before the in point gives a negative length: its time is shown signed.
    const std::string time = deck::TimeCode::fromFrameCount(std::abs(frames), rate).text();
    return text + QStringLiteral(" frames, ") + (frames < 0 ? QStringLiteral("-") : QString()) +
           QString::fromStdString(time);
}

}  // namespace vemo::ui
