#pragma once

#include <QFont>
#include <QString>

class QLineEdit;
class QPushButton;

namespace vemo::ui {

// Width in pixels that a line edit or a button has for its text at its present size.
int textRoom(const QLineEdit& field);
int textRoom(const QPushButton& button);

// The largest pixel size, at most maxPixels (and at least 6), at which text set in font
// takes no more than room pixels.
int fittingPixelSize(QFont font, const QString& text, int room, int maxPixels);

// A time code of eleven characters in the widest digit of the font: what a time field must
// show whole whatever time it holds.
QString widestTimeText(const QFont& font);

// Gives a time field the largest size, up to maxPixels, at which any time code fits whole.
void fitTimeField(QLineEdit& field, int maxPixels);
// Gives a button the largest size, up to its present one, at which its caption fits.
void fitCaption(QPushButton& button);

}  // namespace vemo::ui
