#include "ui/logger_opener.h"

#include <QPointer>
#include <memory>

#include "deck/local_vcr.h"
#include "ui/local_gui.h"
#include "ui/logger_gui.h"
#include "ui/logger_marks_relay.h"

namespace vemo::ui {

LoggerGUI* openLogger(LocalGUI& gui, deck::LocalVCR& svcr,
                      const std::filesystem::path& recoveryPath, LoggerTableWatch watch) {
    // A top-level window of its own, not a child of the main window.
    auto* window = new LoggerGUI(svcr, recoveryPath);
    window->setRecentFiles(&gui.recentFiles());
    QPointer<LocalGUI> main(&gui);
    // The keys of the main window's controls work from the logger too.
    window->onMainKey = [main](KeyAction action) {
        if (main)
            main->keyAction(action);
    };
    window->showNotice = [main](const std::string& text) {
        if (main)
            main->showNotice(text);
    };
    window->showSequenceText = [main](const std::string& text) {
        if (main)
            main->showSequenceText(text);
    };
    if (watch)
        window->onTableChanged = [window, watch] { watch(&window->edl().table); };
    window->onClosed = [window, main, &svcr, watch] {
        if (watch)
            watch(nullptr);
        if (main)
            main->loggerMarks().detach(window);
        svcr.setLoggerMarks(nullptr);
        if (main)
            main->loggerClosed();
        window->deleteLater();
    };
    // A logger window still open when the main window goes, goes with it.
    // The main window's relay went with it and detached itself from the controller.
    QObject::connect(&gui, &QObject::destroyed, window, [window] { delete window; });
    window->show();
    window->offerRecovery();
    if (watch)
        watch(&window->edl().table);
    gui.loggerMarks().attach(window);
    svcr.setLoggerMarks(&gui.loggerMarks());
    return window;
}

void attachLogger(LocalGUI& gui, deck::LocalVCR& svcr, std::filesystem::path recoveryPath,
                  LoggerTableWatch watch) {
    auto open = std::make_shared<QPointer<LoggerGUI>>();
    gui.onOpenLogger = [&gui, &svcr, open, recoveryPath, watch] {
        *open = openLogger(gui, svcr, recoveryPath, watch);
        return true;
    };
    gui.confirmClose = [open](bool mayAsk) {
        QPointer<LoggerGUI>& logger = *open;
        return logger.isNull() || logger->confirmQuit(mayAsk);
    };
}

}  // namespace vemo::ui
