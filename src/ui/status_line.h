#pragma once

#include <QElapsedTimer>
#include <QLineEdit>
#include <QString>
#include <functional>
#include <optional>

class QTimer;

namespace vemo::ui {

// The main window's status line. Plain texts (button words, the deck's status) replace each
// other at once. A held text (a failure, or a notice such as a save) stays for its hold
// before plain texts may replace it, counted from the moment it is first painted, not from
// when it was asked for: a busy window thread or a late repaint does not shorten it. A
// sequence caption (which clip a review-all plays) stands in for plain texts while it is
// set. Every text is shown from its first character; the whole text is in the tooltip.
// Window thread only.
class StatusLine : public QLineEdit {
  public:
    enum class Kind { plain, notice, error };

    explicit StatusLine(QWidget* parent);

    void showPlain(const QString& text);
    // Shown at once, except a notice while a failure is still held: it follows the failure.
    void showHeld(const QString& text, Kind kind, int holdMs);
    // Set: shown instead of plain texts until cleared; then the newest plain text returns.
    void setCaption(std::optional<QString> caption);

    Kind kind() const { return kind_; }
    // True from the moment a held text is asked for until its hold, counted from its first
    // paint, is over.
    bool holding() const { return held_.has_value(); }
    // Turns a text into its tooltip (the text itself unless set).
    std::function<QString(const QString&)> toolTipFor;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Held {
        QString text;
        Kind kind = Kind::error;
        int holdMs = 0;
    };
    void display(const QString& text, Kind kind);
    void startHold();
    void holdOver();

    Kind kind_ = Kind::plain;
    QString lastPlain_;
    bool plainWaiting_ = false;  // a plain text came while something covered it
    std::optional<QString> caption_;
    std::optional<Held> held_;
    std::optional<Held> next_;  // a notice waiting behind a held failure
    bool holdStarted_ = false;
    QElapsedTimer heldSince_;
    QTimer* holdTimer_ = nullptr;
};

}  // namespace vemo::ui
