#include "app/console_wiring.h"

#include "app/port_problem_report.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "core/settings.h"
#include "core/utils.h"
#include "deck/local_vcr.h"
#include "recorder/clip_list.h"
#include "recorder/local_recorder_deck.h"
#include "recorder/recorder_server.h"
#include "remote/aux_port_startup.h"
#include "remote/command_server.h"
#include "serial/port_problem.h"
#include "serial/ser_out_port.h"
#include "ui/edl_opener.h"
#include "ui/gui_wait.h"
#include "ui/local_gui.h"
#include "ui/logger_opener.h"
#include "ui/qt_clipboard.h"
#include "ui/quit_signals.h"
#include "ui/script_sequence.h"

namespace vemo::app {

struct ConsoleWiring::Parts {
    std::unique_ptr<serial::SerOutPort> sop;  // the deck command port, open for the whole run

    // The controller and its windows; declared after the port, so they go before it.
    std::unique_ptr<QApplication> app;
    std::unique_ptr<deck::LocalVCR> vcr;
    std::unique_ptr<ui::LocalGUI> gui;
    std::unique_ptr<ui::QtClipboard> clipboard;
    std::unique_ptr<remote::CommandServer> server;
    // The disk-recorder server and what it reads: the logged clips and the deck.
    std::unique_ptr<recorder::SharedClipList> clips;
    std::unique_ptr<recorder::LocalRecorderDeck> recorderDeck;
    std::unique_ptr<recorder::RecorderServer> recorder;
    std::unique_ptr<remote::SerInPort> sip;  // the auxiliary controller port, when on
    std::optional<int> exitCode;             // set when the windows could not be started

    ~Parts() {
        // Threads first: nothing may call into a window that is going away.
        if (server)
            server->stop();
        recorder.reset();
        sip.reset();
        if (vcr) {
            vcr->stopPolling();
            vcr->stopCue();
            vcr->setDisplay(nullptr);
            vcr->setClipboard(nullptr);
        }
        clipboard.reset();
        gui.reset();
        vcr.reset();
        app.reset();
    }
};

namespace {

// The disk-recorder server, when RecorderServerPort asks for it; the console goes on without
// it when it cannot start, and says why.
void startRecorderServer(ConsoleWiring::Parts& p, const core::Settings& settings) {
    recorder::RecorderConfigResult read = recorder::recorderConfig(settings);
    if (read.off)
        return;
    std::string failure;
    if (!read.config) {
        core::OutLine("Recorder server: " + read.error);
        failure = read.error + " (change " + read.key + " in " + core::kSettingsFile + ")";
    } else {
        p.recorderDeck = std::make_unique<recorder::LocalRecorderDeck>(*p.vcr);
        p.recorder = std::make_unique<recorder::RecorderServer>(*p.recorderDeck, *p.clips);
        if (p.recorder->start(*read.config))
            return;
        failure = p.recorder->failure();
        p.recorder.reset();
    }
    p.vcr->ShowError("No recorder server: " + failure);
    p.gui->setWindowTitle(p.gui->windowTitle() + QStringLiteral(" - no recorder server: ") +
                          QString::fromStdString(failure));
}

}  // namespace

ConsoleWiring::ConsoleWiring(int& argc, char** argv)
    : argc_(argc), argv_(argv), parts_(std::make_unique<Parts>()) {}

ConsoleWiring::~ConsoleWiring() = default;

bool ConsoleWiring::MakeSerialPort(const std::string& name) {
    // The port prints its own reasons when it does not open.
    parts_->sop = std::make_unique<serial::SerOutPort>(name);
    return !parts_->sop->bad();
}

void ConsoleWiring::explainPortFailure(const std::string& name) {
    serial::PortFailure error = parts_->sop ? parts_->sop->openError() : serial::PortFailure{};
    reportPortProblem("Deck port not available", serial::explainPortProblem(name, error), argc_,
                      argv_);
}

void ConsoleWiring::setwait(int milliseconds) {
    if (parts_->sop) {
        parts_->sop->setwait(milliseconds);
    }
}

void ConsoleWiring::createController(const core::Settings& settings) {
    Parts& p = *parts_;
    if (!displayAvailable()) {
        const char* text =
            "No display available: set DISPLAY, or QT_QPA_PLATFORM=offscreen to run without "
            "windows";
        core::Utils::OutLine(text);
        std::fprintf(stderr, "%s\n", text);
        p.exitCode = 1;
        return;
    }
    p.app = std::make_unique<QApplication>(argc_, argv_);
    // Before any worker thread: waits on the window thread keep the windows painting.
    ui::installInputGate();

    p.vcr = std::make_unique<deck::LocalVCR>(p.sop.get(), settings);
    deck::LocalVCR* vcr = p.vcr.get();

    p.gui = std::make_unique<ui::LocalGUI>(*vcr);
    ui::attachEdlMaker(*p.gui);
    vcr->setDisplay(p.gui.get());
    // The logged clips the disk-recorder server lists: copied at every change of the open
    // logger's table, empty while none is open.
    p.clips = std::make_unique<recorder::SharedClipList>();
    recorder::SharedClipList* clips = p.clips.get();
    const core::FrameRate rate = settings.frameRate;
    ui::attachLogger(*p.gui, *vcr, core::LoggerRecovery::kFileName,
                     [clips, rate](const core::LoggerTable* table) {
                         clips->set(table ? recorder::clipsOfTable(*table, rate)
                                          : std::vector<recorder::LoggedClip>{});
                     });
    p.gui->onClosed = [](int code) { QCoreApplication::exit(code); };
    p.gui->onScript = [vcr] { ui::runScript(*vcr); };
    ui::LocalGUI* gui = p.gui.get();
    new ui::QuitSignals(gui, [gui] { gui->quitWithoutAsking(); });  // owned by the window

    // The auxiliary controller port, before the window is shown; a port that does not open
    // ends the program (after its 5 s wait).
    if (settings.mcs) {
        p.sip = remote::startAuxPort(
            *vcr, p.gui.get(), settings.comport2, 5000,
            [this](const std::vector<std::string>& why) {
                reportPortProblem("Auxiliary controller port not available", why, argc_, argv_);
            });
        if (!p.sip) {
            p.exitCode = 0;
            return;
        }
    }

    p.gui->show();
    vcr->announceReady();
    // The command server: opened once; a new connection thread follows each client.
    p.server = std::make_unique<remote::CommandServer>(*vcr);
    if (!p.server->start(settings.socketport)) {
        // The status line is soon taken by the deck's words: the title keeps saying it.
        p.gui->setWindowTitle(p.gui->windowTitle() + QStringLiteral(" - no command server: ") +
                              QString::fromStdString(p.server->failure()));
        p.server.reset();
    }
    startRecorderServer(p, settings);
    p.gui->onClosing = [&p] {
        if (p.server)
            p.server->stop();
        if (p.recorder)
            p.recorder->stop();
        if (p.sip)
            p.sip->stop();
    };
    if (settings.useclipboard) {
        p.clipboard = std::make_unique<ui::QtClipboard>();
        vcr->setClipboard(p.clipboard.get());
    }
    // The deck gets a second to settle before polling starts; the window stays live.
    QTimer::singleShot(1000, p.gui.get(), [vcr] { vcr->GetTC(); });
}

int ConsoleWiring::run() {
    if (parts_->exitCode)
        return *parts_->exitCode;
    if (!parts_->app)
        return 0;
    return parts_->app->exec();
}

}  // namespace vemo::app
