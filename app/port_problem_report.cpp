#include "app/port_problem_report.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/utils.h"

namespace vemo::app {
namespace {

// The offscreen and minimal platforms have no one looking: a dialog there would only wait.
bool someoneCanSee(const QString& platform) {
    return platform != "offscreen" && platform != "minimal";
}

}  // namespace

bool displayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
}

void reportPortProblem(const std::string& caption, const std::vector<std::string>& lines, int& argc,
                       char** argv) {
    QStringList text;
    for (const auto& line : lines) {
        core::Utils::OutLine(line);
        std::fprintf(stderr, "vemo: %s\n", line.c_str());
        text << QString::fromStdString(line);
    }
    std::fflush(stderr);
    if (!displayAvailable() || !someoneCanSee(QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM"))))
        return;
    std::unique_ptr<QApplication> own;
    if (QApplication::instance() == nullptr)
        own = std::make_unique<QApplication>(argc, argv);
    if (!someoneCanSee(QGuiApplication::platformName()))
        return;
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption), text.join("\n"));
    box.exec();
}

}  // namespace vemo::app
