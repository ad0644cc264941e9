// Setting in and out points: the row buttons, row 0's fields and the auxiliary controller.
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QScrollBar>

#include "core/utils.h"
#include "deck/local_vcr.h"
#include "ui/key_control.h"
#include "ui/logger_gui.h"
#include "ui/logger_text.h"

namespace vemo::ui {

using namespace logger;

void LoggerGUI::setin() {
    // The mark is the time code shown when the operator pressed, not when the window gets to it.
    std::string tc = svcr_.fields().tc();
    QMetaObject::invokeMethod(
        this, [this, tc] { markIn(tc); }, Qt::QueuedConnection);
}

void LoggerGUI::setout() {
    std::string tc = svcr_.fields().tc();
    QMetaObject::invokeMethod(
        this, [this, tc] { markOut(tc); }, Qt::QueuedConnection);
}

void LoggerGUI::markIn(const std::string& tc) {
    const int i = vsbval_ + offset_;
    if (!core::LoggerTable::valid(i) || offset_ >= NumRows)
        return;
    core::Utils::OutLine(std::to_string(i));
    edl_.table.SrcInArray[static_cast<std::size_t>(i)] = tc;
    rows_[static_cast<std::size_t>(offset_)].in->setText(toQt(tc));
    nextMarkIsOut_ = true;
    tableChanged();
}

void LoggerGUI::markOut(const std::string& tc) {
    const int i = vsbval_ + offset_;
    if (!core::LoggerTable::valid(i) || offset_ >= NumRows)
        return;
    edl_.table.SrcOutArray[static_cast<std::size_t>(i)] = tc;
    rows_[static_cast<std::size_t>(offset_)].out->setText(toQt(tc));
    ++offset_;
    nextMarkIsOut_ = false;
    if (offset_ >= NumRows && vsbval_ < vsbMaximum) {
        // Past the last row the grid moves up one entry, so the next clip is logged in the
        // next entry, shown in the last row. The scroll bar's listener redraws the grid.
        vsb_->setValue(vsbval_ + 1);
        offset_ = NumRows - 1;
    }
    tableChanged();
}

void LoggerGUI::markNext() {
    const std::string tc = svcr_.fields().tc();
    if (nextMarkIsOut_)
        markOut(tc);
    else
        markIn(tc);
}

void LoggerGUI::keyAction(KeyAction action) {
    auto press = [this](const char* name) {
        auto* button = findChild<QPushButton*>(QString::fromLatin1(name));
        if (button != nullptr && button->isEnabled())
            button->click();
    };
    switch (action) {
        case KeyAction::Review:
            press("ReviewButton");
            break;
        case KeyAction::Save:
            press("SaveButton");
            break;
        case KeyAction::Load:
            press("LoadButton");
            break;
        case KeyAction::MarkNext:
            markNext();
            break;
        case KeyAction::Help:
            showKeyHelp(this, true);
            break;
        default:
            if (onMainKey)
                onMainKey(action);
            break;
    }
}

void LoggerGUI::SIB(int r) {
    const int i = vsbval_ + r;
    if (!core::LoggerTable::valid(i))
        return;
    std::string tc = svcr_.fields().tc();
    edl_.table.SrcInArray[static_cast<std::size_t>(i)] = tc;
    rows_[static_cast<std::size_t>(r)].in->setText(toQt(tc));
    tableChanged();
}

void LoggerGUI::SOB(int r) {
    const int i = vsbval_ + r;
    if (!core::LoggerTable::valid(i))
        return;
    std::string tc = svcr_.fields().tc();
    edl_.table.SrcOutArray[static_cast<std::size_t>(i)] = tc;
    rows_[static_cast<std::size_t>(r)].out->setText(toQt(tc));
    tableChanged();
}

void LoggerGUI::CUE(int r) {
    const int i = vsbval_ + r;
    if (!core::LoggerTable::valid(i))
        return;
    const auto e = static_cast<std::size_t>(i);
    // Only the main window's in and out points change; the operator cues from there.
    svcr_.fields().setCue(edl_.table.SrcInArray[e]);
    svcr_.fields().setEnd(edl_.table.SrcOutArray[e]);
}

void LoggerGUI::NAME() {
    edl_.table.ClipNameArray[static_cast<std::size_t>(vsbval_)] = fromQt(rows_[0].name->text());
    tableChanged();
}

void LoggerGUI::INTIME() {
    edl_.table.SrcInArray[static_cast<std::size_t>(vsbval_)] = fromQt(rows_[0].in->text());
    tableChanged();
}

void LoggerGUI::OUTTIME() {
    edl_.table.SrcOutArray[static_cast<std::size_t>(vsbval_)] = fromQt(rows_[0].out->text());
    tableChanged();
}

}  // namespace vemo::ui
