// Construction of the logger window, its grid and scroll bar.
#include "ui/logger_gui.h"
#include "ui/greyed_look.h"

#include <QEvent>
#include <QFont>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>

#include "core/edl/logger_timecode.h"
#include "deck/local_vcr.h"
#include "ui/field_fit.h"
#include "ui/key_control.h"
#include "ui/logger_text.h"

namespace vemo::ui {
namespace {
const QColor kBackground(80, 150, 245);
const QColor kWarningBase(255, 220, 0);
const QColor kWarningText(160, 0, 0);
// An entry that is in no file yet: its edit number stands out.
const QColor kUnsavedBase(255, 170, 90);
// The clip a review-all is playing: the main window's time-code colours.
const QColor kReviewBase(0, 0, 0);
const QColor kReviewText(250, 80, 80);

// How a grid field looks; kept as a property so the palette is set only when it changes.
enum class Look { Plain, Invalid, Unsaved, Reviewing };

void setLook(QLineEdit* field, Look look, const QPalette& plain) {
    const QVariant before = field->property("look");
    if (before.isValid() && before.toInt() == static_cast<int>(look))
        return;
    field->setProperty("look", static_cast<int>(look));
    field->setProperty("invalidTime", look == Look::Invalid);
    field->setProperty("unsaved", look == Look::Unsaved);
    field->setProperty("reviewing", look == Look::Reviewing);
    QPalette pal = plain;
    switch (look) {
        case Look::Plain:
            break;
        case Look::Invalid:
            pal.setColor(QPalette::Base, kWarningBase);
            pal.setColor(QPalette::Text, kWarningText);
            break;
        case Look::Unsaved:
            pal.setColor(QPalette::Base, kUnsavedBase);
            break;
        case Look::Reviewing:
            pal.setColor(QPalette::Base, kReviewBase);
            pal.setColor(QPalette::Text, kReviewText);
            break;
    }
    field->setPalette(pal);
}

}  // namespace

using namespace logger;

LoggerGUI::LoggerGUI(deck::LocalVCR& svcr, std::filesystem::path recoveryPath, QWidget* parent)
    : QWidget(parent, Qt::Window), svcr_(svcr), recovery_(std::move(recoveryPath)) {
    setObjectName(QStringLiteral("LoggerGUI"));
    setWindowTitle(toQt(svcr_.settings().name + " Logger"));
    setFixedSize(GUIwidth, GUIheight);
    move(ScreenX, ScreenY);
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(fontheight);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);
    setAutoFillBackground(true);

    fileChooser = [this](const std::string& prompt, bool save) {
        return defaultFileChooser(prompt, save);
    };
    askSave = [this] { return defaultAskSave(); };
    edl_.madeBy = svcr_.settings().title;
    edl_.verbose = svcr_.settings().verbose;
    edl_.setFrameRate(svcr_.settings().frameRate);
    askRestore = [this](int entries) { return defaultAskRestore(entries); };
    showError = [this](const std::string& message) {
        QMessageBox::warning(this, windowTitle(), toQt(message));
    };

    buildButtons();
    buildRows();
    buildScrollBar();
    placeAll();
    rememberSaved();
    ReState(0);
    registerWaitAware(this, this);
    new KeyboardControl(this, true, [this](KeyAction action) { keyAction(action); });
    addKeyHints(this, true);
}

LoggerGUI::~LoggerGUI() {
    unregisterWaitAware(this);
}

void LoggerGUI::setInputBlocked(bool blocked, bool) {
    // The logger has no Stop of its own: during a wait nothing in it does anything.
    // The grid stays readable; what takes input looks disabled.
    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        auto* field = qobject_cast<QLineEdit*>(w);
        if (field == nullptr || !field->isReadOnly())
            w->setEnabled(!blocked);
    }
}

void LoggerGUI::markValidity(QLineEdit* field) {
    for (int r = 0; r < NumRows; ++r) {
        const Row& row = rows_[static_cast<std::size_t>(r)];
        if (field == row.edit || field == row.name || field == row.in || field == row.out)
            refreshRowLook(r);
    }
}

void LoggerGUI::refreshLooks() {
    for (int r = 0; r < NumRows; ++r)
        refreshRowLook(r);
}

void LoggerGUI::refreshRowLook(int r) {
    const Row& row = rows_[static_cast<std::size_t>(r)];
    const int e = shownFirst_ + r;
    const bool reviewing = e == reviewing_;
    const QPalette plain = palette();
    auto timeLook = [&](QLineEdit* field) {
        // A time the save would refuse stands out until it is corrected.
        if (reviewing)
            return Look::Reviewing;
        return core::loggertc::isValidTimeText(fromQt(field->text()), edl_.rate) ? Look::Plain
                                                                                 : Look::Invalid;
    };
    setLook(row.edit,
            reviewing         ? Look::Reviewing
            : entryChanged(e) ? Look::Unsaved
                              : Look::Plain,
            plain);
    setLook(row.name, reviewing ? Look::Reviewing : Look::Plain, plain);
    setLook(row.in, timeLook(row.in), plain);
    setLook(row.out, timeLook(row.out), plain);
}

bool LoggerGUI::entryChanged(int entry) const {
    if (!core::LoggerTable::valid(entry))
        return false;
    const auto e = static_cast<std::size_t>(entry);
    const core::LoggerTable& t = edl_.table;
    return t.ClipNameArray[e] != saved_.ClipNameArray[e] ||
           t.SrcInArray[e] != saved_.SrcInArray[e] || t.SrcOutArray[e] != saved_.SrcOutArray[e];
}

QPushButton* LoggerGUI::addButton(const std::string& name, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setObjectName(toQt(name));
    button->setAutoDefault(false);
    greyWhenDisabled(*button);
    return button;
}

QLineEdit* LoggerGUI::addField(const std::string& name) {
    auto* field = new QLineEdit(this);
    field->setObjectName(toQt(name));
    field->setReadOnly(true);
    return field;
}

void LoggerGUI::buildButtons() {
    connect(addButton("LoadButton", "Load EDL"), &QPushButton::clicked, this, [this] { LB(); });
    connect(addButton("ReviewButton", "Review"), &QPushButton::clicked, this,
            [this] { ReviewClip(); });
    connect(addButton("RevAllButton", "RevALL"), &QPushButton::clicked, this, [this] { RevAll(); });
    connect(addButton("SaveButton", "Save EDL"), &QPushButton::clicked, this, [this] { SB(); });
    connect(addButton("ExportButton", "Export\u2026"), &QPushButton::clicked, this,
            [this] { EB(); });
}

void LoggerGUI::buildRows() {
    for (int r = 0; r < NumRows; ++r) {
        Row& row = rows_[static_cast<std::size_t>(r)];
        row.edit = addField(editName(r));
        row.name = addField(nameName(r));
        connect(addButton(setinName(r), ">"), &QPushButton::clicked, this, [this, r] { SIB(r); });
        row.in = addField(inName(r));
        connect(addButton(setoutName(r), "<"), &QPushButton::clicked, this, [this, r] { SOB(r); });
        row.out = addField(outName(r));
        connect(addButton(cueName(r), "*"), &QPushButton::clicked, this, [this, r] { CUE(r); });
    }
    // Only row 0 takes typing; what is typed is stored on Enter.
    Row& first = rows_[0];
    for (QLineEdit* field : {first.name, first.in, first.out})
        field->setReadOnly(false);
    connect(first.name, &QLineEdit::returnPressed, this, [this] { NAME(); });
    connect(first.in, &QLineEdit::returnPressed, this, [this] { INTIME(); });
    connect(first.out, &QLineEdit::returnPressed, this, [this] { OUTTIME(); });
    for (QLineEdit* field : {first.in, first.out})
        connect(field, &QLineEdit::textChanged, this, [this, field] { markValidity(field); });
    // A double-click on any other row brings its entry up to row 0 for correcting.
    for (int r = 1; r < NumRows; ++r) {
        const Row& row = rows_[static_cast<std::size_t>(r)];
        for (QLineEdit* field : {row.edit, row.name, row.in, row.out}) {
            field->setProperty("row", r);
            field->installEventFilter(this);
        }
    }
}

void LoggerGUI::buildScrollBar() {
    vsb_ = new QScrollBar(Qt::Vertical, this);
    vsb_->setObjectName(QStringLiteral("vsb"));
    vsb_->setRange(0, vsbMaximum);
    vsb_->setPageStep(vsbPage);
    vsb_->setSingleStep(1);
    vsb_->setValue(0);
    connect(vsb_, &QScrollBar::valueChanged, this, [this](int v) { VSB(v); });
}

void LoggerGUI::placeAll() {
    for (const Placement& p : loggerLayout()) {
        if (auto* w = findChild<QWidget*>(toQt(p.name), Qt::FindDirectChildrenOnly))
            w->setGeometry(p.x, p.y, p.w, p.h);
    }
    // Every time field is as wide as the others: one size for all that shows any time whole.
    for (const Row& row : rows_) {
        for (QLineEdit* field : {row.in, row.out})
            fitTimeField(*field, fontheight);
    }
}

void LoggerGUI::ReState(int o) {
    shownFirst_ = o;
    const core::LoggerTable& t = edl_.table;
    for (int r = 0; r < NumRows; ++r) {
        const int i = o + r;
        if (!core::LoggerTable::valid(i))
            continue;
        const auto e = static_cast<std::size_t>(i);
        Row& row = rows_[static_cast<std::size_t>(r)];
        row.edit->setText(toQt(t.EdNumArray[e]));
        row.name->setText(toQt(t.ClipNameArray[e]));
        row.in->setText(toQt(t.SrcInArray[e]));
        row.out->setText(toQt(t.SrcOutArray[e]));
    }
    refreshLooks();
}

void LoggerGUI::VSB(int v) {
    ReState(v);
    vsbval_ = v;
    offset_ = 0;
    nextMarkIsOut_ = false;
}

bool LoggerGUI::eventFilter(QObject* target, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        const QVariant row = target->property("row");
        if (row.isValid()) {
            bringToRowZero(row.toInt(), target->objectName());
            return true;
        }
    }
    return QWidget::eventFilter(target, event);
}

void LoggerGUI::bringToRowZero(int r, const QString& column) {
    const int e = vsbval_ + r;
    if (!core::LoggerTable::valid(e) || r == 0)
        return;
    // The scroll bar's own listener redraws the grid; entries past its range stay in their
    // row, the nearest the grid comes to row 0 for them.
    vsb_->setValue(std::min(e, vsbMaximum));
    if (e != vsbval_) {
        svcr_.ShowStat("Entry " + std::to_string(e + 1) +
                       " cannot come to the first row: the grid ends at entry " +
                       std::to_string(core::LoggerTable::NumEntries));
        return;
    }
    const Row& first = rows_[0];
    QLineEdit* target = first.name;
    if (column.startsWith(QLatin1String("in")))
        target = first.in;
    else if (column.startsWith(QLatin1String("out")))
        target = first.out;
    target->setFocus(Qt::MouseFocusReason);
    target->selectAll();
}

}  // namespace vemo::ui
