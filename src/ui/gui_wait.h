#pragma once

#include <functional>

class QObject;

namespace vemo::ui {

// The window thread's wait: DelayT on the window event thread runs a local event loop that
// keeps repainting and delivering queued display calls but takes no operator input.
// Installed once, before any worker thread starts.
void installGuiWaitHook();

// Waits on the window event thread; false (and no wait) on any other thread or without an
// application object.
bool guiWait(int milliseconds);

// True while a wait on the window event thread is in progress.
bool guiWaiting();

// Runs the function on the window event thread once no wait is in progress (at once when
// none is); dropped when the context object is gone by then.
void whenNotWaiting(QObject* context, std::function<void()> fn);

}  // namespace vemo::ui
