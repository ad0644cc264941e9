#include "ui/gui_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <utility>
#include <vector>

#include "core/utils.h"

namespace vemo::ui {
namespace {

// Touched only on the window event thread.
int waitDepth = 0;
std::vector<std::pair<QPointer<QObject>, std::function<void()>>> deferred;

bool onGuiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void runDeferred() {
    auto pending = std::move(deferred);
    deferred.clear();
    for (auto& [context, fn] : pending) {
        if (!context.isNull()) {
            // Queued, so it runs from the outer loop rather than inside the caller's stack.
            QMetaObject::invokeMethod(context.data(), std::move(fn), Qt::QueuedConnection);
        }
    }
}

bool hook(int milliseconds) {
    return guiWait(milliseconds);
}

}  // namespace

void installGuiWaitHook() {
    core::Utils::setWaitHook(&hook);
}

bool guiWait(int milliseconds) {
    if (!onGuiThread())
        return false;
    if (milliseconds <= 0)
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    ++waitDepth;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    --waitDepth;
    if (waitDepth == 0 && !deferred.empty())
        runDeferred();
    return true;
}

bool guiWaiting() {
    return waitDepth > 0;
}

void whenNotWaiting(QObject* context, std::function<void()> fn) {
    if (waitDepth == 0) {
        fn();
        return;
    }
    deferred.emplace_back(QPointer<QObject>(context), std::move(fn));
}

}  // namespace vemo::ui
