#pragma once

// Room for text in a line edit or on a button, as the style lays them out, for the tests
// that check a text shows whole.

#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include "ui/field_fit.h"

namespace vemo::test {

// The text area less the line edit's 2-pixel side margins and a pixel for the cursor.
inline int roomIn(const QLineEdit& field) {
    QStyleOptionFrame option;
    option.initFrom(&field);
    option.lineWidth = field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field);
    return field.style()->subElementRect(QStyle::SE_LineEditContents, &option, &field).width() - 5;
}
inline int roomOn(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).width();
}
inline int widthOf(const QWidget& w, const QString& text) {
    return QFontMetrics(w.font()).horizontalAdvance(text);
}
inline QString widestTime(const QWidget& w) {
    return ui::widestTimeText(w.font());
}

}  // namespace vemo::test
