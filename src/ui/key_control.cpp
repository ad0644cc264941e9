#include "ui/key_control.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QWidget>

namespace vemo::ui {
namespace {

static_assert(kKeySpace == Qt::Key_Space && kKeyLeft == Qt::Key_Left &&
              kKeyRight == Qt::Key_Right && kKeyF1 == Qt::Key_F1 && 'J' == Qt::Key_J);

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A field the operator is typing into keeps its plain keys.
bool takesTyping(const QObject* target) {
    if (const auto* line = qobject_cast<const QLineEdit*>(target))
        return !line->isReadOnly();
    if (const auto* area = qobject_cast<const QPlainTextEdit*>(target))
        return !area->isReadOnly();
    return false;
}

}  // namespace

KeyboardControl::KeyboardControl(QWidget* window, bool inLogger,
                                 std::function<void(KeyAction)> handler)
    : QObject(window), inLogger_(inLogger), handler_(std::move(handler)) {
    window->installEventFilter(this);
    for (QWidget* child : window->findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool KeyboardControl::eventFilter(QObject* target, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const KeyStroke stroke{key->key(), key->modifiers().testFlag(Qt::ShiftModifier),
                           key->modifiers().testFlag(Qt::ControlModifier)};
    const std::optional<KeyAction> action = keyActionFor(stroke, inLogger_);
    if (!action)
        return false;
    if (takesTyping(target) && !stroke.ctrl && *action != KeyAction::Help)
        return false;
    // A held key repeats: one press is one step, one jog, one mark.
    if (!key->isAutoRepeat())
        handler_(*action);
    return true;
}

void addKeyHints(QWidget* window, bool inLogger) {
    for (QWidget* child : window->findChildren<QWidget*>()) {
        QString name = child->objectName();
        // Every row's set-in and set-out buttons share one entry.
        if (inLogger &&
            (name.startsWith(QLatin1String("setin")) || name.startsWith(QLatin1String("setout"))))
            name = QStringLiteral("setin*");
        const std::string hint = keyHintFor(name.toStdString(), inLogger);
        if (hint.empty())
            continue;
        const QString before = child->toolTip();
        child->setToolTip(before.isEmpty() ? qs(hint) : before + QLatin1Char('\n') + qs(hint));
    }
}

QDialog* showKeyHelp(QWidget* window, bool inLogger) {
    auto* help = window->findChild<QDialog*>(QStringLiteral("keyHelp"));
    if (help == nullptr) {
        help = new QDialog(window);
        help->setObjectName(QStringLiteral("keyHelp"));
        help->setWindowTitle(window->windowTitle() + QStringLiteral(" - Keys"));
        QString rows;
        for (const KeyBinding& b : keyBindings()) {
            if (inLogger || b.scope == KeyScope::Both) {
                rows += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                            .arg(qs(b.keyText).toHtmlEscaped(), qs(b.what).toHtmlEscaped());
            }
        }
        auto* text = new QLabel(
            QStringLiteral("<table cellspacing=\"4\">%1</table><p>Keys work wherever no text is "
                           "being typed; Esc ends a running script or review.</p>")
                .arg(rows),
            help);
        text->setObjectName(QStringLiteral("keyHelpText"));
        text->setTextFormat(Qt::RichText);
        auto* close = new QDialogButtonBox(QDialogButtonBox::Close, help);
        close->setObjectName(QStringLiteral("keyHelpClose"));
        QObject::connect(close, &QDialogButtonBox::rejected, help, &QDialog::close);
        auto* column = new QVBoxLayout(help);
        column->addWidget(text);
        column->addWidget(close);
    }
    help->show();
    help->raise();
    return help;
}

}  // namespace vemo::ui
