#include "ui/field_fit.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

namespace vemo::ui {
namespace {

// A line edit keeps this much room on each side of its text, and one pixel for the cursor.
constexpr int kLineEditMargin = 2;
constexpr int kCursor = 1;
// Air between a caption and the button's edge.
constexpr int kCaptionAir = 2;
constexpr int kSmallest = 6;

}  // namespace

int textRoom(const QLineEdit& field) {
    QStyleOptionFrame option;
    option.initFrom(&field);
    option.rect = field.rect();
    option.lineWidth =
        field.hasFrame() ? field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field)
                         : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents =
        field.style()->subElementRect(QStyle::SE_LineEditContents, &option, &field);
    const QMargins text = field.textMargins();
    return contents.width() - text.left() - text.right() - 2 * kLineEditMargin - kCursor;
}

int textRoom(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.rect = button.rect();
    option.text = button.text();
    const QRect contents =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    return contents.width() - 2 * kCaptionAir;
}

int fittingPixelSize(QFont font, const QString& text, int room, int maxPixels) {
    for (int pixels = maxPixels; pixels > kSmallest; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(text) <= room)
            return pixels;
    }
    return kSmallest;
}

QString widestTimeText(const QFont& font) {
    const QFontMetrics metrics(font);
    QChar widest = QLatin1Char('0');
    for (char c = '1'; c <= '9'; ++c) {
        if (metrics.horizontalAdvance(QLatin1Char(c)) > metrics.horizontalAdvance(widest))
            widest = QLatin1Char(c);
    }
    QString text(11, widest);
    for (int colon : {2, 5, 8})
        text[colon] = QLatin1Char(':');
    return text;
}

void fitTimeField(QLineEdit& field, int maxPixels) {
    QFont font = field.font();
    font.setPixelSize(maxPixels);
    font.setPixelSize(fittingPixelSize(font, widestTimeText(font), textRoom(field), maxPixels));
    field.setFont(font);
}

void fitCaption(QPushButton& button) {
    QFont font = button.font();
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    font.setPixelSize(fittingPixelSize(font, button.text(), textRoom(button), pixels));
    button.setFont(font);
}

}  // namespace vemo::ui
