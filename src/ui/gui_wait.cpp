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

bool onGuiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
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

const QString kWaitsName = QStringLiteral("vemoWindowWaits");

}  // namespace

// The window thread's waits and sequences, owned by the application object (one per
// application) and touched only on the window thread. As the application's event filter
// it drops operator input while a wait runs. Input is taken at the widgets it is meant for,
// after the toolkit has routed it there.
class WindowWaits : public QObject {
  public:
    explicit WindowWaits(QObject* app) : QObject(app) { setObjectName(kWaitsName); }

    // The application's, made on first use; null off the window thread or without one.
    static WindowWaits* find() {
        if (!onGuiThread())
            return nullptr;
        QCoreApplication* app = QCoreApplication::instance();
        auto* found = static_cast<WindowWaits*>(
            app->findChild<QObject*>(kWaitsName, Qt::FindDirectChildrenOnly));
        if (found == nullptr) {
            found = new WindowWaits(app);
            app->installEventFilter(found);
        }
        return found;
    }

    struct Aware {
        QPointer<QWidget> window;
        WaitAware* aware;
    };

    int waitDepth = 0;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> deferred;
    SequenceScope* currentSequence = nullptr;
    QPointer<QWidget> stopControl;
    std::vector<Aware> awareWindows;
    // Whether the controls are shown blocked, and the plain windows disabled for it.
    bool blockedShown = false;
    bool stopShown = false;
    std::vector<QPointer<QWidget>> disabledWindows;
    // The loop of the innermost wait, so ending a sequence can end its wait at once.
    QPointer<QEventLoop> innermostLoop;

    bool isAware(const QWidget* window) const {
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

    // Controls come back once no wait runs and no sequence is under way. Between two waits
    // of one operation no event is processed, so nothing flickers.
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

  protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (waitDepth == 0 || !isOperatorInput(event->type()) || !target->isWidgetType())
            return false;
        if (currentSequence != nullptr && isStopRequest(target, event))
            SequenceScope::endRunning(SequenceScope::Ending::OperatorStop);
        return true;
    }

  private:
    bool isStopRequest(QObject* target, QEvent* event) const {
        if (event->type() == QEvent::KeyPress)
            return static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        if (event->type() != QEvent::MouseButtonPress || stopControl.isNull())
            return false;
        return target == stopControl.data() ||
               (target->isWidgetType() && stopControl->isAncestorOf(static_cast<QWidget*>(target)));
    }
};

void installInputGate() {
    WindowWaits::find();
}

bool guiWait(int milliseconds) {
    WindowWaits* w = WindowWaits::find();
    if (w == nullptr)
        return false;
    if (milliseconds <= 0)
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    w->showBlocked(w->currentSequence != nullptr);
    QPointer<QEventLoop> outerLoop = w->innermostLoop;
    w->innermostLoop = &loop;
    ++w->waitDepth;
    loop.exec();
    --w->waitDepth;
    w->innermostLoop = outerLoop;
    if (w->waitDepth == 0) {
        w->restoreIfIdle();
        if (!w->deferred.empty())
            w->runDeferred();
    }
    return true;
}

void windowDelay(int milliseconds) {
    if (!guiWait(milliseconds))
        core::Utils::DelayT(milliseconds);
}

bool guiWaiting() {
    WindowWaits* w = WindowWaits::find();
    return w != nullptr && w->waitDepth > 0;
}

void whenNotWaiting(QObject* context, std::function<void()> fn) {
    WindowWaits* w = WindowWaits::find();
    if (w == nullptr || w->waitDepth == 0) {
        fn();
        return;
    }
    w->deferred.emplace_back(QPointer<QObject>(context), std::move(fn));
}

void registerWaitAware(QWidget* window, WaitAware* aware) {
    WindowWaits* w = WindowWaits::find();
    if (w == nullptr)
        return;
    w->awareWindows.push_back({QPointer<QWidget>(window), aware});
    if (w->blockedShown)
        aware->setInputBlocked(true, w->stopShown);
}

void unregisterWaitAware(WaitAware* aware) {
    if (WindowWaits* w = WindowWaits::find()) {
        std::erase_if(w->awareWindows,
                      [aware](const WindowWaits::Aware& a) { return a.aware == aware; });
    }
}

void setSequenceStopControl(QWidget* control) {
    if (WindowWaits* w = WindowWaits::find())
        w->stopControl = control;
}

SequenceScope::SequenceScope(std::string name, std::function<void()> onEnd)
    : name_(std::move(name)), onEnd_(std::move(onEnd)), waits_(WindowWaits::find()) {
    if (waits_ != nullptr) {
        outer_ = waits_->currentSequence;
        waits_->currentSequence = this;
        waits_->showBlocked(true);
    }
}

SequenceScope::~SequenceScope() {
    if (!waits_.isNull()) {
        waits_->currentSequence = outer_;
        waits_->restoreIfIdle();
    }
}

bool SequenceScope::running() {
    WindowWaits* w = WindowWaits::find();
    return w != nullptr && w->currentSequence != nullptr;
}

bool SequenceScope::endRunning(Ending why) {
    WindowWaits* w = WindowWaits::find();
    if (w == nullptr || w->currentSequence == nullptr)
        return false;
    for (SequenceScope* s = w->currentSequence; s != nullptr; s = s->outer_) {
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
    if (!w->innermostLoop.isNull())
        w->innermostLoop->quit();
    return true;
}

}  // namespace vemo::ui
