#include "ui/status_line.h"

#include <QPalette>
#include <QTimer>

namespace vemo::ui {
namespace {

const QColor kErrorText(255, 255, 255);
const QColor kErrorBase(190, 0, 0);

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    holdTimer_ = new QTimer(this);
    holdTimer_->setSingleShot(true);
    // A coarse timer may fire up to 5 % early: a 5 s hold could end after 4.75 s.
    holdTimer_->setTimerType(Qt::PreciseTimer);
    connect(holdTimer_, &QTimer::timeout, this, [this] { holdOver(); });
}

void StatusLine::showPlain(const QString& text) {
    lastPlain_ = text;
    if (held_ || caption_) {
        plainWaiting_ = true;
        return;
    }
    display(text, Kind::plain);
}

void StatusLine::showHeld(const QString& text, Kind kind, int holdMs) {
    if (held_ && held_->kind == Kind::error && kind != Kind::error) {
        next_ = Held{text, kind, holdMs};
        return;
    }
    held_ = Held{text, kind, holdMs};
    next_.reset();
    plainWaiting_ = false;
    holdStarted_ = false;
    holdTimer_->stop();
    display(text, kind);
    if (isVisible())
        update();  // the hold starts with the paint, even when the text did not change
    else
        startHold();  // nobody sees it: it cannot wait for a paint
}

void StatusLine::setCaption(std::optional<QString> caption) {
    caption_ = std::move(caption);
    if (held_)
        return;  // shown once the held text's time is over
    if (caption_) {
        display(*caption_, Kind::plain);
    } else {
        plainWaiting_ = false;
        display(lastPlain_, Kind::plain);
    }
}

void StatusLine::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (held_ && !holdStarted_)
        startHold();
}

void StatusLine::startHold() {
    holdStarted_ = true;
    heldSince_.start();
    holdTimer_->start(held_->holdMs);
}

void StatusLine::holdOver() {
    if (!held_)
        return;
    const qint64 left = held_->holdMs - heldSince_.elapsed();
    if (left > 0) {
        holdTimer_->start(static_cast<int>(left));
        return;
    }
    held_.reset();
    if (next_) {
        Held next = *next_;
        showHeld(next.text, next.kind, next.holdMs);
    } else if (caption_) {
        display(*caption_, Kind::plain);
    } else if (plainWaiting_) {
        plainWaiting_ = false;
        display(lastPlain_, Kind::plain);
    }
    // Otherwise the held text stays, in its colours, until another text comes.
}

void StatusLine::display(const QString& text, Kind kind) {
    if (kind != kind_) {
        // Two fixed palettes, switched only when the kind of text changes: the failure's
        // white on red, the window's own colours for the rest.
        const bool error = kind == Kind::error;
        const QPalette own = parentWidget() != nullptr ? parentWidget()->palette() : QPalette();
        QPalette pal = palette();
        pal.setColor(QPalette::Text, error ? kErrorText : own.color(QPalette::Text));
        pal.setColor(QPalette::Base, error ? kErrorBase : own.color(QPalette::Base));
        setPalette(pal);
        kind_ = kind;
    }
    // The status poll repeats the same words several times a second: setting them again
    // would only repaint the field.
    if (QLineEdit::text() != text) {
        setToolTip(toolTipFor ? toolTipFor(text) : text);
        setText(text);
    }
    // The start of a text longer than the line is the part that says what happened.
    if (cursorPosition() != 0)
        setCursorPosition(0);
}

}  // namespace vemo::ui
