// Takes the documentation's pictures of the console off screen: the main window and the
// logger with a logged list while a review-all plays its fifth clip, and the logger's key
// help. Usage: vemo-screenshots [folder] (default "docs").
#include <QApplication>
#include <QDialog>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bench_deck.h"
#include "core/settings.h"
#include "deck/local_vcr.h"
#include "deck/timecode.h"
#include "ui/gui_wait.h"
#include "ui/key_control.h"
#include "ui/local_gui.h"
#include "ui/logger_gui.h"
#include "ui/logger_opener.h"

namespace {

using namespace vemo;

struct Clip {
    const char* name;
    const char* in;
    const char* out;
};

const std::vector<Clip> kSaved = {
    {"Harbour", "00:01:10:00", "00:01:18:00"}, {"Gulls", "00:02:04:12", "00:02:12:00"},
    {"Nets", "00:03:30:00", "00:03:37:20"},    {"Pier", "00:04:15:05", "00:04:22:00"},
    {"Boats", "00:05:02:00", "00:05:10:00"},   {"Market", "00:06:40:10", "00:06:48:00"},
    {"Crowd", "00:07:20:00", "00:07:27:15"},   {"Dusk", "00:08:05:00", "00:08:13:00"},
};
// Logged after the last save: the grid marks them.
const std::vector<Clip> kNew = {
    {"Lamps", "00:09:12:00", "00:09:20:00"},
    {"Night", "00:10:01:00", "00:10:09:00"},
};

void logClips(ui::LoggerGUI& logger, deck::LocalVCR& vcr, const std::vector<Clip>& clips,
              int first) {
    for (std::size_t i = 0; i < clips.size(); ++i) {
        vcr.fields().setTC(clips[i].in);
        logger.markNext();
        vcr.fields().setTC(clips[i].out);
        logger.markNext();
        logger.edl().table.ClipNameArray[static_cast<std::size_t>(first) + i] = clips[i].name;
    }
}

bool save(QWidget& window, const std::filesystem::path& file) {
    if (!window.grab().save(QString::fromStdString(file.string()), "PNG")) {
        std::fprintf(stderr, "not written: %s\n", file.c_str());
        return false;
    }
    std::printf("%s\n", file.c_str());
    return true;
}

// The pictures are taken with a home folder and XDG folders inside the scratch folder, so
// nothing of the run (Qt's settings, caches) reaches the operator's own. Before the
// application object, which reads them once.
void useScratchHome(const std::filesystem::path& home) {
    ::setenv("HOME", home.c_str(), 1);
    for (auto [variable, folder] :
         {std::pair{"XDG_CONFIG_HOME", ".config"}, std::pair{"XDG_DATA_HOME", ".local/share"},
          std::pair{"XDG_STATE_HOME", ".local/state"}, std::pair{"XDG_CACHE_HOME", ".cache"},
          std::pair{"XDG_RUNTIME_DIR", "runtime"}}) {
        std::filesystem::create_directories(home / folder);
        ::setenv(variable, (home / folder).c_str(), 1);
    }
    std::filesystem::permissions(home / "runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("vemo-screenshots-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    useScratchHome(scratch / "home");
    QApplication app(argc, argv);
    const std::filesystem::path out = argc > 1 ? argv[1] : "docs";
    ui::installInputGate();

    screenshots::BenchDeck bench(4);
    core::Settings settings = core::Settings::forDeck("TAPE");
    settings.note = "Bench";
    settings.name = "Vemo";
    settings.title = " Vemo Video Deck Console";
    deck::LocalVCR vcr(&bench, settings);
    int result = 1;
    {
        ui::LocalGUI gui(vcr);
        vcr.setDisplay(&gui);
        ui::attachLogger(gui, vcr, scratch / "VemoRecovery.txt");
        gui.show();
        gui.findChild<QPushButton*>("blogger")->click();
        ui::LoggerGUI* logger = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* l = dynamic_cast<ui::LoggerGUI*>(w))
                logger = l;
        }
        if (logger == nullptr)
            return 1;
        logger->fileChooser = [&scratch](const std::string&, bool) {
            return (scratch / "harbour.edl").string();
        };
        logClips(*logger, vcr, kSaved, 0);
        logger->saveEDL();
        logClips(*logger, vcr, kNew, static_cast<int>(kSaved.size()));
        logger->ReState(0);
        vcr.GetTC();

        // The pictures are taken once the fifth clip has played for a moment.
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &app, [&] {
            // Well into the clip: the deck has played a second of it.
            const int start = deck::framesOf(kSaved[4].in).value_or(0);
            if (logger->reviewing() != 4 || vcr.startframes() != start ||
                vcr.tcframes() < start + 30)
                return;
            watch.stop();

            const bool written =
                save(gui, out / "console-review.png") && save(*logger, out / "logger-review.png");
            QDialog* help = ui::showKeyHelp(logger, true);
            help->adjustSize();
            result = written && save(*help, out / "logger-keys.png") ? 0 : 1;
            help->close();
            ui::SequenceScope::endRunning(ui::SequenceScope::Ending::OperatorStop);
        });
        watch.start(40);
        QTimer::singleShot(300, logger, [&] {
            logger->RevAll();
            QCoreApplication::exit(0);
        });
        QTimer::singleShot(120000, &app, [&] {
            std::fprintf(stderr, "the review did not reach the fifth clip\n");
            ui::SequenceScope::endRunning(ui::SequenceScope::Ending::Quit);
            app.quit();
        });
        app.exec();
        vcr.stopCue();
        vcr.stopPolling();
        vcr.setDisplay(nullptr);
    }
    std::filesystem::remove_all(scratch);
    return result;
}
