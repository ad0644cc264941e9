#include "ui/logger_opener.h"

#include <QPointer>

#include "deck/local_vcr.h"
#include "ui/local_gui.h"
#include "ui/logger_gui.h"
#include "ui/logger_marks_relay.h"

namespace vemo::ui {

LoggerGUI* openLogger(LocalGUI& gui, deck::LocalVCR& svcr) {
    // A top-level window of its own, not a child of the main window.
    auto* window = new LoggerGUI(svcr);
    QPointer<LocalGUI> main(&gui);
    window->onClosed = [window, main, &svcr] {
        LoggerMarksRelay::instance().detach(window);
        svcr.setLoggerMarks(nullptr);
        if (main)
            main->loggerClosed();
        window->deleteLater();
    };
    // A logger window still open when the main window goes, goes with it.
    QObject::connect(&gui, &QObject::destroyed, window, [window, &svcr] {
        LoggerMarksRelay::instance().detach(window);
        svcr.setLoggerMarks(nullptr);
        delete window;
    });
    window->show();
    LoggerMarksRelay::instance().attach(window);
    svcr.setLoggerMarks(&LoggerMarksRelay::instance());
    return window;
}

void attachLogger(LocalGUI& gui, deck::LocalVCR& svcr) {
    gui.onOpenLogger = [&gui, &svcr] {
        openLogger(gui, svcr);
        return true;
    };
}

}  // namespace vemo::ui
