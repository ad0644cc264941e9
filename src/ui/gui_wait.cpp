#include "ui/gui_wait.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <utility>
#include <vector>

#include "core/utils.h"

namespace vemo::ui {
namespace {

// All of this is touched only on the window event thread.
int waitDepth = 0;
std::vector<std::pair<QPointer<QObject>, std::function<void()>>> deferred;
SequenceScope* currentSequence = nullptr;
QPointer<QWidget> stopControl;

struct Aware {
    QPointer<QWidget> window;
    WaitAware* aware;
};
std::vector<Aware> awareWindows;
// Whether the controls are shown blocked, and the plain windows disabled for it.
bool blockedShown = false;
bool stopShown = false;
std::vector<QPointer<QWidget>> disabledWindows;

bool onGuiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

bool isAware(const QWidget* window) {
    return std::any_of(awareWindows.begin(), awareWindows.end(),
                       [window](const Aware& a) { return a.window == window; });
}

void showBlocked(bool stopAllowed) {
    if (blockedShown && stopShown == stopAllowed)
        return;
    for (const Aware& a : awareWindows) {
        if (!a.window.isNull())
            a.aware->setInputBlocked(true, stopAllowed);
    }
    if (!blockedShown) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->isEnabled() && !isAware(w)) {
                w->setEnabled(false);
                disabledWindows.emplace_back(w);
            }
        }
    }
    blockedShown = true;
    stopShown = stopAllowed;
}

// Controls come back once no wait runs and no sequence is under way. Between two waits of
// one operation no event is processed, so nothing flickers.
void restoreIfIdle() {
    if (waitDepth > 0 || currentSequence != nullptr || !blockedShown)
        return;
    for (const Aware& a : awareWindows) {
        if (!a.window.isNull())
            a.aware->setInputBlocked(false, false);
    }
    for (const QPointer<QWidget>& w : disabledWindows) {
        if (!w.isNull())
            w->setEnabled(true);
    }
    disabledWindows.clear();
    blockedShown = false;
    stopShown = false;
}

bool isOperatorInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

bool isStopRequest(QObject* target, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        return static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    if (event->type() != QEvent::MouseButtonPress || stopControl.isNull())
        return false;
    return target == stopControl.data() ||
           (target->isWidgetType() && stopControl->isAncestorOf(static_cast<QWidget*>(target)));
}

// Drops operator input while a wait runs on the window thread. Input is taken at the
// widgets it is meant for, after the toolkit has routed it there.
class InputGate : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (waitDepth == 0 || !isOperatorInput(event->type()) || !target->isWidgetType())
            return false;
        if (currentSequence != nullptr && isStopRequest(target, event))
            SequenceScope::endRunning(SequenceScope::Ending::OperatorStop);
        return true;
    }
};

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

// The loop of the innermost wait, so ending a sequence can end its wait at once.
QPointer<QEventLoop> innermostLoop;

}  // namespace

void installGuiWaitHook() {
    core::Utils::setWaitHook(&hook);
    static QPointer<InputGate> gate;
    QCoreApplication* app = QCoreApplication::instance();
    if (app != nullptr && gate.isNull()) {
        gate = new InputGate(app);  // owned by the application
        app->installEventFilter(gate);
    }
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
    showBlocked(currentSequence != nullptr);
    QPointer<QEventLoop> outerLoop = innermostLoop;
    innermostLoop = &loop;
    ++waitDepth;
    loop.exec();
    --waitDepth;
    innermostLoop = outerLoop;
    if (waitDepth == 0) {
        restoreIfIdle();
        if (!deferred.empty())
            runDeferred();
    }
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

void registerWaitAware(QWidget* window, WaitAware* aware) {
    awareWindows.push_back({QPointer<QWidget>(window), aware});
    if (blockedShown)
        aware->setInputBlocked(true, stopShown);
}

void unregisterWaitAware(WaitAware* aware) {
    std::erase_if(awareWindows, [aware](const Aware& a) { return a.aware == aware; });
}

void setSequenceStopControl(QWidget* control) {
    stopControl = control;
}

SequenceScope::SequenceScope(std::string name, std::function<void()> onEnd)
    : name_(std::move(name)), onEnd_(std::move(onEnd)), outer_(currentSequence) {
    currentSequence = this;
    if (onGuiThread())
        showBlocked(true);
}

SequenceScope::~SequenceScope() {
    currentSequence = outer_;
    if (onGuiThread())
        restoreIfIdle();
}

bool SequenceScope::running() {
    return currentSequence != nullptr;
}

bool SequenceScope::endRunning(Ending why) {
    if (currentSequence == nullptr)
        return false;
    for (SequenceScope* s = currentSequence; s != nullptr; s = s->outer_) {
        if (s->ending_ != Ending::Running)
            continue;
        s->ending_ = why;
        core::Utils::OutLine(s->name_ + (why == Ending::Quit ? " stopped: the console is closing"
                                                             : " stopped by the operator"));
        s->stop_.request_stop();
        if (s->onEnd_)
            s->onEnd_();
    }
    // The wait in progress ends now; the sequence sees its token and goes no further.
    if (!innermostLoop.isNull())
        innermostLoop->quit();
    return true;
}

}  // namespace vemo::ui
