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

const QColor kLightGrey(192, 192, 192);
const QColor kDarkGrey(64, 64, 64);

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

void LocalGUI::ShowTC(const std::string& text) {
    svcr_.fields().setTC(text);
    queueFieldRefresh(deck::TimeFields::Field::tc);
}

void LocalGUI::ShowStatus(const std::string& text) {
    onGui([this, t = QString::fromStdString(text)] { statusfield_->setText(t); });
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
        for (const char* name : {"bcue", "bcueout", "bcueplay", "breview"}) {
            QPushButton* button = buttons_.at(name);
            button->setEnabled(enabled);
            setGreyed(button, enabled);
        }
        cuefield_->setReadOnly(!enabled);
        endfield_->setReadOnly(!enabled);
    });
}

void LocalGUI::EnableConnect(bool enabled) {
    onGui([this, enabled] {
        QPushButton* button = buttons_.at("bconnect");
        button->setEnabled(enabled);
        setGreyed(button, enabled);
    });
}

// Light grey while enabled, dark grey while disabled, through the palette's own colour
// groups: the palette is set once per control, and enabling or disabling it changes no
// palette. A new palette on every cue made the style draw and cache the controls afresh each
// time, and the window's memory grew with every cue and review.
void LocalGUI::setGreyed(QWidget* widget, bool enabled) {
    const QPalette current = widget->palette();
    if (current.color(QPalette::Active, QPalette::Button) != kLightGrey ||
        current.color(QPalette::Inactive, QPalette::Button) != kLightGrey ||
        current.color(QPalette::Disabled, QPalette::Button) != kDarkGrey) {
        QPalette pal = current;
        pal.setColor(QPalette::Active, QPalette::Button, kLightGrey);
        pal.setColor(QPalette::Inactive, QPalette::Button, kLightGrey);
        pal.setColor(QPalette::Disabled, QPalette::Button, kDarkGrey);
        widget->setPalette(pal);
    }
    (void)enabled;  // the control's own enabled state picks the colour group
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
    onGui([this] {
        std::vector<std::string_view> rows = {"bplay", "brecord"};
        if (!lx1_)
            rows.insert(rows.end(), {"bjogr", "vsb"});
        for (std::string_view name : rows) {
            if (const Placement* p = placementOf(layout_, name))
                clearRow(p->y);
        }
        update();
    });
}

void LocalGUI::hilight(deck::Control control) {
    onGui([this, control] {
        setHighlighted(controlName(control), true);
        update();
    });
}

void LocalGUI::hilightinout(bool in, bool out) {
    onGui([this, in, out] {
        if (const Placement* p = placementOf(layout_, "cuefield"))
            clearRow(p->y);
        setHighlighted("cuefield", in);
        setHighlighted("endfield", out);
        update();
    });
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

void LocalGUI::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (closing_)
        return;
    if (guiWaiting()) {
        // A wait (jog, script, review) is running on this thread: close once it is over.
        whenNotWaiting(this, [this] { close(); });
        return;
    }
    closing_ = true;
    if (onClosing)
        onClosing();
    int code = svcr_.closeDown();
    event->accept();
    if (onClosed)
        onClosed(code);
}

}  // namespace vemo::ui
