#include "ui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMetaObject>

namespace vemo::ui {

void QtClipboard::setText(const std::string& text) {
    QMetaObject::invokeMethod(
        this,
        [t = QString::fromStdString(text)] {
            if (QClipboard* clipboard = QGuiApplication::clipboard())
                clipboard->setText(t);
        },
        Qt::QueuedConnection);
}

}  // namespace vemo::ui
