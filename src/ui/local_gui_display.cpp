// The main window's display operations, highlight bars and closing.
#include <QCloseEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QPainter>
#include <QPushButton>
#include <QThread>

#include "deck/local_vcr.h"
#include "ui/gui_wait.h"
#include "ui/local_gui.h"
#include "ui/main_controls.h"

namespace vemo::ui {
namespace {

std::size_t fieldIndex(deck::TimeFields::Field field) {
    switch (field) {
        case deck::TimeFields::Field::tc:
            return 0;
        case deck::TimeFields::Field::cue:
            return 1;
        case deck::TimeFields::Field::end:
            return 2;
    }
    return 0;
}

}  // namespace

void LocalGUI::onGui(std::function<void()> fn) {
    if (QThread::currentThread() == thread()) {
        fn();
    } else {
        QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
    }
}

void LocalGUI::ShowTC(const deck::TimeCode& tc) {
    // Only a time code other than the one last shown crosses to the window thread, so a
    // deck standing still costs the window thread nothing.
    const int frames = tc.frameCount();
    if (shownFrames_.exchange(frames) != frames)
        queueFieldRefresh(deck::TimeFields::Field::tc);
}

std::uint64_t LocalGUI::nextStatusRequest(const std::string& text, bool held) {
    requestedStatus_ = StatusRequest{text, held};
    return ++statusRequests_;
}

bool LocalGUI::isNewestStatus(std::uint64_t request) {
    if (request < statusShown_)
        return false;
    statusShown_ = request;
    return true;
}

void LocalGUI::ShowStatus(const std::string& text) {
    std::uint64_t request = 0;
    {
        std::lock_guard<std::mutex> lock(requestMutex_);
        if (requestedStatus_ && !requestedStatus_->held && requestedStatus_->text == text)
            return;  // already shown, or waiting behind a held text
        request = nextStatusRequest(text, false);
    }
    onGui([this, request, t = QString::fromStdString(text)] {
        if (isNewestStatus(request))
            statusfield_->showPlain(t);
    });
}

void LocalGUI::ShowError(const std::string& text) {
    std::uint64_t request = 0;
    {
        std::lock_guard<std::mutex> lock(requestMutex_);
        request = nextStatusRequest(text, true);
    }
    onGui([this, request, t = QString::fromStdString(text)] {
        if (isNewestStatus(request))
            statusfield_->showHeld(t, StatusLine::Kind::error, kErrorHoldMs);
    });
}

void LocalGUI::showNotice(const std::string& text) {
    std::uint64_t request = 0;
    {
        std::lock_guard<std::mutex> lock(requestMutex_);
        request = nextStatusRequest(text, true);
    }
    onGui([this, request, t = QString::fromStdString(text)] {
        if (isNewestStatus(request))
            statusfield_->showHeld(t, StatusLine::Kind::notice, kNoticeHoldMs);
    });
}

void LocalGUI::showSequenceText(const std::string& text) {
    onGui([this, t = QString::fromStdString(text)] {
        statusfield_->setCaption(t.isEmpty() ? std::nullopt : std::optional<QString>(t));
    });
}

bool LocalGUI::showingError() const {
    return statusfield_->kind() == StatusLine::Kind::error;
}

void LocalGUI::show() {
    onGui([this] { QWidget::show(); });
}

void LocalGUI::setcue() {
    svcr_.fields().setCue(svcr_.fields().tc());
    svcr_.MakeCueString();
}

void LocalGUI::setreview() {
    svcr_.fields().setEnd(svcr_.fields().tc());
    svcr_.MakeReviewString();
}

void LocalGUI::ShowIP(const std::string& address) {
    onGui([this, t = QString::fromStdString(address.empty() ? "null" : address)] {
        ipfield_->setText(t);
    });
}

void LocalGUI::setCueControlsEnabled(bool enabled) {
    onGui([this, enabled] {
        cueControlsEnabled_ = enabled;
        cuefield_->setReadOnly(!enabled);
        endfield_->setReadOnly(!enabled);
        applyEnabled();
    });
}

void LocalGUI::EnableConnect(bool enabled) {
    onGui([this, enabled] {
        connectEnabled_ = enabled;
        applyEnabled();
    });
}

void LocalGUI::setInputBlocked(bool blocked, bool stopAllowed) {
    inputBlocked_ = blocked;
    stopAllowed_ = stopAllowed;
    applyEnabled();
}

void LocalGUI::applyEnabled() {
    for (auto& [name, widget] : controls_) {
        // Displays (time code, status, labels) stay as they are: they are live during waits.
        const bool control =
            buttons_.count(name) > 0 || widget == cuefield_ || widget == endfield_ || name == "vsb";
        if (!control)
            continue;
        bool wanted = true;
        if (name == "bcue" || name == "bcueout" || name == "bcueplay" || name == "breview")
            wanted = cueControlsEnabled_;
        else if (name == "bconnect")
            wanted = connectEnabled_;
        else if (name == "blogger")
            wanted = !loggerOpen_;
        // While a wait runs nothing but the sequence's Stop does anything.
        if (inputBlocked_ && !(stopAllowed_ && name == "bstop"))
            wanted = false;
        if (widget->isEnabled() != wanted)
            widget->setEnabled(wanted);
    }
}

// The time code field greyed, with "no deck" in place of a time code that is no longer
// read; the live colours and the last time code come back with the first valid reply.
void LocalGUI::ShowDeckAnswering(bool answering) {
    onGui([this, answering] {
        tcfield_->setEnabled(answering);
        tcfield_->setText(answering ? QString::fromStdString(svcr_.fields().tc())
                                    : QStringLiteral("no deck"));
    });
}

// ---- time fields ----

void LocalGUI::queueFieldRefresh(deck::TimeFields::Field field) {
    if (QThread::currentThread() == thread()) {
        refreshField(field);
        return;
    }
    // One refresh in flight per field: it shows whatever the store holds when it runs.
    std::atomic<bool>& pending = refreshPending_[fieldIndex(field)];
    if (pending.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this, field] {
            refreshPending_[fieldIndex(field)].store(false);
            refreshField(field);
        },
        Qt::QueuedConnection);
}

void LocalGUI::refreshField(deck::TimeFields::Field field) {
    QLineEdit* widget = tcfield_;
    std::string text;
    switch (field) {
        case deck::TimeFields::Field::tc:
            text = svcr_.fields().tc();
            break;
        case deck::TimeFields::Field::cue:
            widget = cuefield_;
            text = svcr_.fields().cue();
            break;
        case deck::TimeFields::Field::end:
            widget = endfield_;
            text = svcr_.fields().end();
            break;
    }
    QString qtext = QString::fromStdString(text);
    if (widget->text() != qtext)
        widget->setText(qtext);
}

// ---- highlights: kept as state, drawn on every paint ----

bool LocalGUI::isHighlighted(std::string_view name) const {
    return highlighted_.find(name) != highlighted_.end();
}

void LocalGUI::setHighlighted(std::string_view name, bool on) {
    if (on) {
        if (placementOf(layout_, name) != nullptr)
            highlighted_.emplace(name);
    } else {
        auto it = highlighted_.find(name);
        if (it != highlighted_.end())
            highlighted_.erase(it);
    }
}

void LocalGUI::clearRow(int y) {
    for (const Placement& p : layout_) {
        if (p.y == y)
            setHighlighted(p.name, false);
    }
}

void LocalGUI::clearbuttons() {
    forgetHighlights();
    onGui([this] {
        clearTransportRows();
        highlightsChanged();
    });
}

void LocalGUI::clearTransportRows() {
    std::vector<std::string_view> rows = {"bplay", "brecord"};
    if (!lx1_)
        rows.insert(rows.end(), {"bjogr", "vsb"});
    for (std::string_view name : rows) {
        if (const Placement* p = placementOf(layout_, name))
            clearRow(p->y);
    }
}

void LocalGUI::hilight(deck::Indicator control) {
    forgetHighlights();
    onGui([this, control] {
        setHighlighted(controlName(control), true);
        highlightsChanged();
    });
}

void LocalGUI::showIndicators(const std::vector<deck::Indicator>& controls) {
    {
        std::lock_guard<std::mutex> lock(requestMutex_);
        if (requestedHighlights_ == controls)
            return;
        requestedHighlights_ = controls;
    }
    onGui([this, controls] {
        clearTransportRows();
        for (deck::Indicator c : controls)
            setHighlighted(controlName(c), true);
        highlightsChanged();
    });
}

void LocalGUI::forgetHighlights() {
    std::lock_guard<std::mutex> lock(requestMutex_);
    requestedHighlights_.reset();
}

void LocalGUI::hilightinout(bool in, bool out) {
    forgetHighlights();
    onGui([this, in, out] {
        if (const Placement* p = placementOf(layout_, "cuefield"))
            clearRow(p->y);
        setHighlighted("cuefield", in);
        setHighlighted("endfield", out);
        highlightsChanged();
    });
}

// Every status poll clears the transport rows and sets them again, mostly to the same bars.
// The window is repainted only when the bars differ from those last asked for, checked once
// the clear and the settings queued with it have all been applied.
void LocalGUI::highlightsChanged() {
    if (highlightCheckQueued_)
        return;
    highlightCheckQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            highlightCheckQueued_ = false;
            if (highlighted_ == paintedHighlights_)
                return;
            paintedHighlights_ = highlighted_;
            update();
        },
        Qt::QueuedConnection);
}

void LocalGUI::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    for (const std::string& name : highlighted_) {
        if (const Placement* p = placementOf(layout_, name)) {
            painter.fillRect(p->x, p->y - 2, p->w, 2, Qt::red);
        }
    }
}

// ---- closing ----

void LocalGUI::quitWithoutAsking() {
    askOnClose_ = false;
    close();
}

void LocalGUI::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (closing_)
        return;
    if (guiWaiting()) {
        // A wait (jog, script, review) is running on this thread: a sequence goes no
        // further, and the window closes once the wait is over.
        SequenceScope::endRunning(SequenceScope::Ending::Quit);
        whenNotWaiting(this, [this] { close(); });
        return;
    }
    // Unsaved clips: the operator may still save them, or keep everything running.
    closing_ = true;
    if (confirmClose && !confirmClose(askOnClose_)) {
        closing_ = false;
        return;
    }
    if (onClosing)
        onClosing();
    int code = svcr_.closeDown();
    event->accept();
    if (onClosed)
        onClosed(code);
}

}  // namespace vemo::ui
