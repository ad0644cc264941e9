#pragma once

#include <mutex>

#include "deck/deck_display.h"

namespace vemo::ui {

// What the deck controller hands the auxiliary controller's marks to. The main window owns
// it, so it outlives every logger window: a mark made while a window closes finds either
// the window, still whole, or nothing, since a window is detached (under the lock) before
// it is deleted.
class LoggerMarksRelay : public deck::LoggerMarks {
  public:
    void attach(deck::LoggerMarks* window);
    // Only when window is the one attached.
    void detach(deck::LoggerMarks* window);
    deck::LoggerMarks* attached() const;

    void setin() override;
    void setout() override;

  private:
    mutable std::mutex mutex_;
    deck::LoggerMarks* window_ = nullptr;
};

}  // namespace vemo::ui
