#pragma once

#include <QObject>

#include "deck/deck_display.h"

namespace vemo::ui {

// Puts each time code on the desktop clipboard; callable from any thread, the clipboard is
// written on the window event thread.
class QtClipboard : public QObject, public deck::ClipboardSink {
  public:
    explicit QtClipboard(QObject* parent = nullptr) : QObject(parent) {}
    void setText(const std::string& text) override;
};

}  // namespace vemo::ui
