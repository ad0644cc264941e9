#pragma once

#include <functional>
#include <mutex>
#include <string>

namespace vemo::deck {

// The shared time-code, in-point and out-point texts (the main window's tcfield, cuefield
// and endfield). Any thread reads and writes them at once; the window mirrors them.
class TimeFields {
  public:
    enum class Field { tc, cue, end };
    using Observer = std::function<void(Field, const std::string&)>;

    std::string tc() const { return get(tc_); }
    std::string cue() const { return get(cue_); }
    std::string end() const { return get(end_); }
    void setTC(const std::string& t) { set(Field::tc, tc_, t); }
    void setCue(const std::string& t) { set(Field::cue, cue_, t); }
    void setEnd(const std::string& t) { set(Field::end, end_, t); }

    // Called after every change, on the changing thread; must not block.
    void setObserver(Observer observer) {
        std::lock_guard<std::mutex> lock(mutex_);
        observer_ = std::move(observer);
    }

  private:
    std::string get(const std::string& field) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return field;
    }
    void set(Field which, std::string& field, const std::string& text) {
        Observer observer;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (field == text)
                return;
            field = text;
            observer = observer_;
        }
        if (observer)
            observer(which, text);
    }

    mutable std::mutex mutex_;
    std::string tc_ = "00:00:00:00";
    std::string cue_ = "00:00:00:00";
    std::string end_ = "00:00:00:00";
    Observer observer_;
};

}  // namespace vemo::deck
