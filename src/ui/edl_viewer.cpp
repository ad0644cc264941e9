// Construction of the EDL maker window: the two areas, the button rows, the option boxes.
#include "ui/edl_viewer.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextCursor>

#include "core/utils.h"
#include "ui/edl_controls.h"
#include "ui/gui_wait.h"

namespace vemo::ui {
namespace {

const QColor kBackground(90, 90, 240);
const QColor kSource(230, 230, 190);
const QColor kOutput(200, 220, 220);
constexpr int kAreaRows = 15;
constexpr int kSourceColumns = 80;
constexpr int kOutputColumns = 38;
constexpr int kAreaFontSize = 12;
constexpr int kButtonFontSize = 14;
constexpr int kGap = 4;
constexpr int kInitialWidth = 800;
constexpr int kInitialHeight = 350;

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont monospaced() {
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(kAreaFontSize);
    return font;
}

QFont buttonFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kButtonFontSize);
    font.setBold(true);
    return font;
}

// A text area that asks for rows x columns characters and takes whatever room the window
// gives it beyond that; shrunk, it keeps a third of its width and half its height.
class TextArea : public QPlainTextEdit {
  public:
    explicit TextArea(QWidget* parent) : QPlainTextEdit(parent) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    void setWanted(QSize size) {
        wanted_ = size;
        updateGeometry();
    }
    QSize sizeHint() const override { return wanted_; }
    QSize minimumSizeHint() const override { return {wanted_.width() / 3, wanted_.height() / 2}; }

  private:
    QSize wanted_;
};

// A text area of rows x columns characters with a vertical scroll bar only.
QPlainTextEdit* makeArea(QWidget* parent, const char* name, int columns, const QColor& colour) {
    auto* area = new TextArea(parent);
    area->setObjectName(QString::fromLatin1(name));
    area->setFont(monospaced());
    area->setLineWrapMode(QPlainTextEdit::NoWrap);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette pal = area->palette();
    pal.setColor(QPalette::Base, colour);
    pal.setColor(QPalette::Text, Qt::black);
    area->setPalette(pal);

    const QFontMetrics metrics(area->font());
    const int margins =
        2 * (area->frameWidth() + static_cast<int>(area->document()->documentMargin()) + 1);
    const int width = columns * metrics.horizontalAdvance(QLatin1Char('M')) + margins +
                      area->verticalScrollBar()->sizeHint().width();
    const int height = kAreaRows * metrics.lineSpacing() + margins;
    area->setWanted({width, height});
    return area;
}

QLabel* areaLabel(QWidget* parent, const char* name, const char* text, QWidget* area) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(area);
    label->setContentsMargins(4, 2, 4, 2);
    area->setAccessibleName(label->text());
    return label;
}

}  // namespace

EDLViewer::EDLViewer(const core::Settings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), edl_(this, settings) {
    // The engine has taken its options from the settings; the boxes start from them.
    setObjectName(QStringLiteral("EDLViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(qs(" " + settings.name + " EDLMaker"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);
    setAutoFillBackground(true);

    buildAreas();
    auto* grid = new QGridLayout(this);
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    // Each area says what it holds: the EDL read in, and the list for the recorder.
    grid->addWidget(areaLabel(this, "sourceLabel", "Source EDL", textarea_), 0, 0);
    grid->addWidget(areaLabel(this, "outputLabel", "Recorder list", outarea_), 0, 1);
    grid->addWidget(textarea_, 1, 0);
    grid->addWidget(outarea_, 1, 1);
    grid->addWidget(buildButtonPanel("panel1", 0, kEdlRowLength), 2, 0);
    grid->addWidget(buildButtonPanel("panel2", kEdlRowLength, 2 * kEdlRowLength), 2, 1);
    grid->addWidget(buildOptionPanel(), 2, 2);
    report_ = new QLabel(this);
    report_->setObjectName(QStringLiteral("report"));
    report_->setWordWrap(true);
    report_->setTextFormat(Qt::PlainText);
    report_->setStyleSheet(QStringLiteral("QLabel { color: white; padding: 4px; }"));
    report_->hide();
    grid->addWidget(report_, 3, 0, 1, 3);
    // A larger window goes to the two areas, in the measure of their columns; the button
    // rows and the boxes keep their size, so their captions stay whole.
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, kSourceColumns);
    grid->setColumnStretch(1, kOutputColumns);
    connectOptions();

    resize(kInitialWidth, kInitialHeight);
    adjustSize();

    edl_.newlxedl();
    edl_.newrawedl();
    edl_.showrawedl();
    show();
}

EDLViewer::~EDLViewer() {
    // The areas go with the widget; the engine must not show anything into them any more.
    edl_.setView(nullptr);
}

void EDLViewer::buildAreas() {
    textarea_ = makeArea(this, "textarea", kSourceColumns, kSource);
    textarea_->setReadOnly(true);
    // The operator may type here, but files are always written from the engine's list.
    outarea_ = makeArea(this, "outarea", kOutputColumns, kOutput);
}

QWidget* EDLViewer::buildButtonPanel(const char* name, int firstButton, int lastButton) {
    auto* panel = new QWidget(this);
    panel->setObjectName(QString::fromLatin1(name));
    auto* row = new QHBoxLayout(panel);
    row->setSpacing(kGap);
    row->setContentsMargins(kGap, kGap, kGap, kGap);
    row->addStretch(1);  // flow aligned right
    for (int i = firstButton; i < lastButton; ++i) {
        const EdlButtonDef& entry = kEdlButtons[static_cast<std::size_t>(i)];
        auto* button = new QPushButton(qs(entry.label), panel);
        button->setObjectName(qs(entry.name));
        button->setFont(buttonFont());
        button->setAutoDefault(false);
        const std::string command(entry.command);
        connect(button, &QPushButton::clicked, this, [this, command] { actionPerformed(command); });
        row->addWidget(button);
    }
    return panel;
}

QWidget* EDLViewer::buildOptionPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel3"));
    auto* column = new QGridLayout(panel);
    column->setSpacing(0);
    column->setContentsMargins(kGap, 0, kGap, 0);
    QCheckBox** boxes[] = {&useini_, &usefnl_, &recmode_, &autoch_};
    for (std::size_t i = 0; i < kEdlOptions.size(); ++i) {
        auto* box = new QCheckBox(qs(kEdlOptions[i].label), panel);
        box->setObjectName(qs(kEdlOptions[i].name));
        *boxes[i] = box;
        column->addWidget(box, static_cast<int>(i), 0);
    }
    setQuietly(useini_, edl_.initialize);
    setQuietly(usefnl_, edl_.finalize);
    setQuietly(recmode_, edl_.onetitle);
    setQuietly(autoch_, edl_.autochapter);
    return panel;
}

void EDLViewer::connectOptions() {
    connect(useini_, &QCheckBox::toggled, this, [this](bool on) { useIni(on); });
    connect(usefnl_, &QCheckBox::toggled, this, [this](bool on) { useFnl(on); });
    connect(recmode_, &QCheckBox::toggled, this, [this](bool on) { recMode(on); });
    connect(autoch_, &QCheckBox::toggled, this, [this](bool on) { autoCh(on); });
}

void EDLViewer::showLeftOut() {
    QStringList lines;
    for (const std::string& line : edl_.leftOutReport())
        lines << QString::fromStdString(line);
    report_->setText(lines.join(QLatin1Char('\n')));
    report_->setVisible(!lines.isEmpty());
}

void EDLViewer::setQuietly(QCheckBox* box, bool on) {
    const QSignalBlocker blocker(box);
    box->setChecked(on);
}

void EDLViewer::showSource(const std::string& text) {
    textarea_->setPlainText(QString::fromStdString(text));
}

void EDLViewer::showOutput(const std::string& text) {
    outarea_->setPlainText(QString::fromStdString(text));
    // The last character selected, so the end of the list is in view.
    QTextCursor cursor = outarea_->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
    outarea_->setTextCursor(cursor);
    outarea_->ensureCursorVisible();
}

void EDLViewer::setTitle(const std::string& text) {
    setWindowTitle(QString::fromStdString(text));
}

void EDLViewer::wait(int milliseconds) {
    // On the window thread this keeps every window repainting while taking no input.
    windowDelay(milliseconds);
}

void EDLViewer::showFailure(const std::string& text) {
    if (showError)
        showError(text);
    else
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(text));
}

void EDLViewer::closeEvent(QCloseEvent* event) {
    if (busy_ > 0) {
        // An operation is still on the stack (a message wait or a dialog): hide now, go
        // once it has returned.
        closePending_ = true;
        hide();
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace vemo::ui
