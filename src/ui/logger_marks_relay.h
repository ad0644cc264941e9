#pragma once

#include <mutex>

#include "deck/deck_display.h"

namespace vemo::ui {

// What the deck controller hands the auxiliary controller's marks to. It outlives every
// logger window, so a mark made while a window closes finds either the window, still
// whole, or nothing: a window is detached (under the lock) before it is deleted.
class LoggerMarksRelay : public deck::LoggerMarks {
  public:
    // The one relay of the process; never destroyed, so no thread can outlive it.
    static LoggerMarksRelay& instance();

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
