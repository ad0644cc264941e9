// Construction of the main window: controls, fonts, colours and the fixed pixel layout.
#include "ui/local_gui.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>

#include "deck/local_vcr.h"
#include "ui/field_fit.h"
#include "ui/greyed_look.h"
#include "ui/key_control.h"
#include "ui/main_controls.h"
#include "ui/status_tooltip.h"

namespace vemo::ui {
namespace {

const QColor kBackground(90, 170, 250);
const QColor kTimeCode(250, 80, 80);
constexpr int kTimeFontHeight = 18;

QFont helvetica(int pixels, bool bold = false) {
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

const core::Settings& LocalGUI::settings() const {
    return svcr_.settings();
}

LocalGUI::LocalGUI(deck::LocalVCR& svcr, QWidget* parent)
    : QWidget(parent),
      svcr_(svcr),
      lx1_(svcr.isLX1()),
      recon_(svcr.isRecon()),
      lanc_(svcr.isLANC()),
      layout_(layoutFor(lx1_)) {
    setObjectName(QStringLiteral("LocalGUI"));
    setWindowTitle(QString::fromStdString(svcr_.settings().title));
    setFont(helvetica(svcr_.settings().fontheight));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    buildControls();
    buildHiddenControls();
    placeControls();
    fitTimeFields();
    connectControls();
    setFixedSize(svcr_.settings().width, windowHeight(layout_));
    new KeyboardControl(this, false, [this](KeyAction action) { keyAction(action); });
    addKeyHints(this, false);

    registerWaitAware(this, this);
    setSequenceStopControl(buttons_.at("bstop"));

    // The window mirrors the shared time fields; a change on any thread queues a refresh.
    svcr_.fields().setObserver([this](deck::TimeFields::Field field, const std::string&) {
        // The time code comes through ShowTC; the in and out points change here.
        if (field != deck::TimeFields::Field::tc)
            queueFieldRefresh(field);
    });
}

LocalGUI::~LocalGUI() {
    unregisterWaitAware(this);
    // The deck's threads are stopped before the window goes, so no observer call is running.
    svcr_.fields().setObserver(nullptr);
    // The auxiliary port is stopped before the main window goes; no mark is in flight.
    if (svcr_.loggerMarks() == &loggerMarks_)
        svcr_.setLoggerMarks(nullptr);
}

QPushButton* LocalGUI::addButton(std::string_view name, std::string_view caption) {
    auto* button = new QPushButton(qs(caption), this);
    button->setObjectName(qs(name));
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::TabFocus);
    buttons_.emplace(std::string(name), button);
    controls_.emplace(std::string(name), button);
    return button;
}

QLineEdit* LocalGUI::addTimeField(const char* name) {
    auto* field = new QLineEdit(QStringLiteral("00:00:00:00"), this);
    field->setObjectName(QString::fromLatin1(name));
    field->setFont(helvetica(kTimeFontHeight));
    controls_.emplace(name, field);
    return field;
}

void LocalGUI::buildControls() {
    const std::string& note = svcr_.settings().note;
    for (auto [name, text] :
         {std::pair{"vcrlabel", "VTR Controls - "}, std::pair{"reconlabel", "REC Controls - "},
          std::pair{"lx1label", "LX1 Controls - "}}) {
        auto* label = new QLabel(QString::fromLatin1(text) + QString::fromStdString(note), this);
        label->setObjectName(QString::fromLatin1(name));
        controls_.emplace(name, label);
    }
    for (const ButtonDef& entry : mainButtons())
        addButton(entry.name, entry.caption);
    for (const char* red : {"brecord", "bscript"}) {
        QPushButton* button = buttons_.at(red);
        button->setFont(helvetica(svcr_.settings().fontheight, true));
        QPalette pal = button->palette();
        pal.setColor(QPalette::Active, QPalette::ButtonText, Qt::red);
        pal.setColor(QPalette::Inactive, QPalette::ButtonText, Qt::red);
        button->setPalette(pal);
    }
    for (auto& [name, button] : buttons_)
        greyWhenDisabled(*button);

    tcfield_ = addTimeField("tcfield");
    tcfield_->setReadOnly(true);
    QPalette tcpal = tcfield_->palette();
    tcpal.setColor(QPalette::Text, kTimeCode);
    tcpal.setColor(QPalette::Base, Qt::black);
    tcfield_->setPalette(tcpal);
    cuefield_ = addTimeField("cuefield");
    endfield_ = addTimeField("endfield");
    cuefield_->setText(QString::fromStdString(svcr_.fields().cue()));
    endfield_->setText(QString::fromStdString(svcr_.fields().end()));
    tcfield_->setText(QString::fromStdString(svcr_.fields().tc()));

    statusfield_ = new StatusLine(this);
    statusfield_->setObjectName(QStringLiteral("statusfield"));
    statusfield_->toolTipFor = [rate = svcr_.settings().frameRate](const QString& text) {
        return statusToolTip(text, rate);
    };
    controls_.emplace("statusfield", statusfield_);
    statuslabel_ = new QLabel(QStringLiteral("Status/Results"), this);
    statuslabel_->setObjectName(QStringLiteral("statuslabel"));
    controls_.emplace("statuslabel", statuslabel_);

    vsb_ = new QScrollBar(Qt::Horizontal, this);
    vsb_->setObjectName(QStringLiteral("vsb"));
    // Maximum 115 less the visible amount 20: values 0 to 95, centre 48.
    vsb_->setRange(0, 115 - 20);
    vsb_->setPageStep(20);
    vsb_->setValue(vsbval_);
    controls_.emplace("vsb", vsb_);
}

void LocalGUI::buildHiddenControls() {
    // The network panel and the time texts exist but are not placed in the window.
    auto label = [this](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setObjectName(QString::fromLatin1(name));
        controls_.emplace(name, l);
    };
    auto field = [this](const char* name, const QString& text) {
        auto* f = new QLineEdit(text, this);
        f->setObjectName(QString::fromLatin1(name));
        controls_.emplace(name, f);
        return f;
    };
    label("netlabel", "Local Server Network Controls");
    label("namelabel", "Host IP/ID");
    field("hostfield", QStringLiteral("localhost"));
    label("addresslabel", "IP Address");
    ipfield_ = field("ipfield", QString());
    label("portlabel", "Socket Port");
    field("portfield", QString::number(svcr_.settings().socketport));
    label("timelabel", "Time");
    field("osfield", QString::fromStdString(svcr_.settings().OSString));
    field("prfield", QString::fromStdString(svcr_.settings().PRString));
}

void LocalGUI::placeControls() {
    for (auto& [name, widget] : controls_)
        widget->hide();
    for (const Placement& p : layout_) {
        std::string_view name = p.name;
        // A RECON deck takes the tape layout with its own label.
        if (name == "vcrlabel" && recon_)
            name = "reconlabel";
        auto it = controls_.find(name);
        if (it == controls_.end())
            continue;
        it->second->setGeometry(p.x, p.y, p.w, p.h);
        it->second->show();
    }
}

void LocalGUI::fitTimeFields() {
    for (QLineEdit* field : {tcfield_, cuefield_, endfield_})
        fitTimeField(*field, kTimeFontHeight);
    // The one caption too long for its button at the window's font.
    fitCaption(*buttons_.at("blogger"));
}

}  // namespace vemo::ui
