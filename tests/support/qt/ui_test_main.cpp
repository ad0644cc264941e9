// Test main for widget tests: a QApplication on the offscreen platform when no display is set.
#include <QApplication>
#include <cstdlib>

#include <gmock/gmock.h>

#include "support/temp_home.h"
#include "ui/gui_wait.h"

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Before the application object: Qt takes the settings folders from the environment.
    vemo::test::TempHome home;
    QApplication app(argc, argv);
    // Waits on the window thread behave as in the console: the windows keep painting and
    // operator input is dropped.
    vemo::ui::installInputGate();
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
