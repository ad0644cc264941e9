#pragma once

// Room for text inside a line edit or on a button, measured the way the style lays them out,
// for the tests that check a text shows whole.

#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

namespace vemo::test {

// The line edit's text area less its 2-pixel side margins and a pixel for the cursor.
inline int roomIn(const QLineEdit& field) {
    QStyleOptionFrame option;
    option.initFrom(&field);
    option.rect = field.rect();
    option.lineWidth = field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field);
    const QRect r = field.style()->subElementRect(QStyle::SE_LineEditContents, &option, &field);
    return r.width() - 2 * 2 - 1;
}

inline int roomOn(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.rect = button.rect();
    return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).width();
}

inline int widthOf(const QWidget& w, const QString& text) {
    return QFontMetrics(w.font()).horizontalAdvance(text);
}

}  // namespace vemo::test
