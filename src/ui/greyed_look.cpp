#include "ui/greyed_look.h"

#include <QPalette>
#include <QWidget>

namespace vemo::ui {

void greyWhenDisabled(QWidget& control) {
    static const QColor kFace(64, 64, 64);
    static const QColor kCaption(150, 150, 150);
    QPalette pal = control.palette();
    pal.setColor(QPalette::Disabled, QPalette::Button, kFace);
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, kCaption);
    control.setPalette(pal);
}

}  // namespace vemo::ui
