// Construction of the logger window, its grid and scroll bar.
#include "ui/logger_gui.h"

#include <QFont>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>

#include "core/edl/logger_timecode.h"
#include "deck/local_vcr.h"
#include "ui/logger_text.h"

namespace vemo::ui {
namespace {
const QColor kBackground(80, 150, 245);
const QColor kWarningBase(255, 220, 0);
const QColor kWarningText(160, 0, 0);
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
    // A time the save would refuse stands out until it is corrected.
    const bool invalid = !core::loggertc::isValidTimeText(fromQt(field->text()), edl_.rate);
    if (field->property("invalidTime").toBool() == invalid)
        return;
    field->setProperty("invalidTime", invalid);
    QPalette pal = palette();
    if (invalid) {
        pal.setColor(QPalette::Base, kWarningBase);
        pal.setColor(QPalette::Text, kWarningText);
    }
    field->setPalette(pal);
}

QPushButton* LoggerGUI::addButton(const std::string& name, const char* caption) {
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(toQt(name));
    button->setAutoDefault(false);
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
}

void LoggerGUI::ReState(int o) {
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
        markValidity(row.in);
        markValidity(row.out);
    }
}

void LoggerGUI::VSB(int v) {
    ReState(v);
    vsbval_ = v;
    offset_ = 0;
}

}  // namespace vemo::ui
