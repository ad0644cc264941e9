#include "ui/logger_marks_relay.h"

namespace vemo::ui {

void LoggerMarksRelay::attach(deck::LoggerMarks* window) {
    std::lock_guard<std::mutex> lock(mutex_);
    window_ = window;
}

void LoggerMarksRelay::detach(deck::LoggerMarks* window) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (window_ == window)
        window_ = nullptr;
}

deck::LoggerMarks* LoggerMarksRelay::attached() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return window_;
}

void LoggerMarksRelay::setin() {
    // The window's setin only queues, so holding the lock through it is brief.
    std::lock_guard<std::mutex> lock(mutex_);
    if (window_ != nullptr)
        window_->setin();
}

void LoggerMarksRelay::setout() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (window_ != nullptr)
        window_->setout();
}

}  // namespace vemo::ui
