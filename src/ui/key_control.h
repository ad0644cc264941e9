#pragma once

#include <QObject>
#include <functional>

#include "ui/key_map.h"

class QDialog;
class QWidget;

namespace vemo::ui {

// Turns the keys pressed anywhere in one window into that window's actions, except the plain
// keys typed into a text field that takes typing (Ctrl keys and F1 work there too). A
// window's controls are watched from construction on; operator input that the window waits
// drop never gets here.
class KeyboardControl : public QObject {
  public:
    KeyboardControl(QWidget* window, bool inLogger, std::function<void(KeyAction)> handler);

  protected:
    bool eventFilter(QObject* target, QEvent* event) override;

  private:
    bool inLogger_;
    std::function<void(KeyAction)> handler_;
};

// Adds each key to the tooltip of the control it belongs to in this window.
void addKeyHints(QWidget* window, bool inLogger);

// The window's keyboard help (F1): every key of the window and what it does. One help window
// per window, shown again on every F1.
QDialog* showKeyHelp(QWidget* window, bool inLogger);

}  // namespace vemo::ui
