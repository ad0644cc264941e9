#pragma once

#include <QPointer>
#include <functional>
#include <stop_token>
#include <string>

class QWidget;

namespace vemo::ui {

class WindowWaits;

// The window thread's wait runs a local event loop that keeps repainting and delivering
// queued display calls. Operator input that arrives meanwhile is dropped, never queued and
// replayed later, and the windows' controls look disabled. The state behind it belongs to
// the application object; installing it early (before any worker thread starts) puts the
// input filter in place at once rather than at the first wait.
void installInputGate();

// Waits on the window event thread; false (and no wait) on any other thread or without an
// application object.
bool guiWait(int milliseconds);
// guiWait where it can, otherwise a plain sleep of the calling thread.
void windowDelay(int milliseconds);

// True while a wait on the window event thread is in progress.
bool guiWaiting();

// Runs the function on the window event thread once no wait is in progress (at once when
// none is); dropped when the context object is gone by then.
void whenNotWaiting(QObject* context, std::function<void()> fn);

// A window that shows its controls disabled while input is blocked. Windows that are not
// registered are disabled as a whole.
class WaitAware {
  public:
    virtual ~WaitAware() = default;
    // stopAllowed: a sequence runs that the operator's Stop ends, so Stop stays usable.
    virtual void setInputBlocked(bool blocked, bool stopAllowed) = 0;
};
void registerWaitAware(QWidget* window, WaitAware* aware);
void unregisterWaitAware(WaitAware* aware);

// The control whose press ends a running sequence (the main window's Stop).
void setSequenceStopControl(QWidget* control);

// A sequence of deck steps on the window thread through many waits (review-all, a script).
// The operator's Stop (the stop control or Esc) or a quit request ends it: the token is
// stopped and onEnd runs at once, inside the wait, so it must take no lock that the
// sequence may hold. Only one sequence runs at a time; a nested one joins the outer one.
class SequenceScope {
  public:
    enum class Ending { Running, OperatorStop, Quit };

    SequenceScope(std::string name, std::function<void()> onEnd);
    ~SequenceScope();
    SequenceScope(const SequenceScope&) = delete;
    SequenceScope& operator=(const SequenceScope&) = delete;

    std::stop_token token() const { return stop_.get_token(); }
    Ending ending() const { return ending_; }

    // Ends the running sequence, logging why; false when none runs.
    static bool endRunning(Ending why);
    static bool running();

  private:
    std::string name_;
    std::function<void()> onEnd_;
    std::stop_source stop_;
    Ending ending_ = Ending::Running;
    SequenceScope* outer_ = nullptr;
    QPointer<WindowWaits> waits_;
};

}  // namespace vemo::ui
