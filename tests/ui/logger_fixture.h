#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest/QTest>
#include <memory>
#include <string>
#include <vector>

#include "core/settings.h"
#include "deck/local_vcr.h"
#include "support/deck_frames.h"
#include "support/fake_command_port.h"
#include "support/temp_dir.h"
#include "ui/local_gui.h"
#include "ui/logger_gui.h"
#include "ui/logger_opener.h"
#include "ui/main_window_fixture.h"

namespace vemo::test {

// A RECON controller (short review waits) over a recording port, its main window, and a
// logger window opened the way the main window's button opens it.
class LoggerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core::Settings settings = core::Settings::forDeck("RECON");
        settings.name = "Vemo";
        settings.title = " Vemo Video Deck Console";
        vcr = std::make_unique<deck::LocalVCR>(&port, settings);
        gui = std::make_unique<ui::LocalGUI>(*vcr);
        vcr->setDisplay(gui.get());
        // What the console's recorder server would see: entry 1's in point, or "closed".
        ui::attachLogger(*gui, *vcr, recoveryFile(), [this](const core::LoggerTable* t) {
            watched.push_back(t ? t->SrcInArray[0] : "closed");
        });
        open();
    }
    void TearDown() override {
        vcr->stopCue();
        vcr->stopPolling();
        vcr->setDisplay(nullptr);
        gui.reset();  // takes an open logger window with it
        vcr.reset();
    }

    // Presses the main window's logger button.
    void open() {
        gui->findChild<QPushButton*>("blogger")->click();
        logger = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* l = dynamic_cast<ui::LoggerGUI*>(w); l != nullptr && l->isVisible())
                logger = l;
        }
        ASSERT_FALSE(logger.isNull());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(logger.data()));
        logger->fileChooser = [this](const std::string& prompt, bool save) {
            prompts.push_back(prompt);
            saves.push_back(save);
            return chosenPath;
        };
        logger->askSave = [this] {
            ++asked;
            return answer;
        };
        logger->showError = [this](const std::string& message) { errors.push_back(message); };
    }
    std::filesystem::path recoveryFile() const { return recoveryDir.file("VemoRecovery.txt"); }

    template <typename T = QWidget>
    T* child(const std::string& name) {
        T* w = logger->findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* field(const std::string& name) { return child<QLineEdit>(name); }
    std::string text(const std::string& name) { return field(name)->text().toStdString(); }
    void press(const std::string& name) {
        QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton);
    }
    void scrollTo(int v) { child<QScrollBar>("vsb")->setValue(v); }
    // A key pressed with the focus on target (the logger window itself unless given).
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             QWidget* target = nullptr) {
        QTest::keyClick(target != nullptr ? target : logger.data(), k, modifiers);
    }
    // Entries 1 to count get clips of one second each, one minute apart, straight into the
    // table (entry n: in at minute n, out one second later).
    void fillClips(int count) {
        for (int n = 1; n <= count; ++n) {
            const auto e = static_cast<std::size_t>(n - 1);
            const int in = n * deck::TimeCode::kFramesPerMinute;
            logger->edl().table.SrcInArray[e] = deck::TimeCode::fromFrameCount(in).text();
            logger->edl().table.SrcOutArray[e] = deck::TimeCode::fromFrameCount(in + 30).text();
        }
    }
    // A deck whose every cue completes at once and whose time code stands past every clip's
    // out point, polled as the console polls: each review ends as soon as it has started.
    void deckPastEveryClip() {
        port.setReply(pollingDeck({0x00, 0x00, 0x00, 0x23}, 0x01));
        vcr->GetTC();
    }
    const core::LoggerTable& table() { return logger->edl().table; }
    QLineEdit* statusField() { return gui->findChild<QLineEdit*>("statusfield"); }
    std::string status() { return statusField()->text().toStdString(); }
    // The auxiliary controller's marks, delivered on the window's thread.
    void markIn() {
        logger->setin();
        QCoreApplication::processEvents();
    }
    void markOut() {
        logger->setout();
        QCoreApplication::processEvents();
    }

    TempDir recoveryDir;  // before the windows, so it outlives them
    FakeCommandPort port;
    std::unique_ptr<deck::LocalVCR> vcr;
    std::unique_ptr<ui::LocalGUI> gui;
    QPointer<ui::LoggerGUI> logger;

    // What the replaced dialogs were asked and answer.
    std::vector<std::string> prompts;
    std::vector<bool> saves;
    std::string chosenPath;
    int asked = 0;
    std::vector<std::string> errors;   // messages the failure dialogs showed
    std::vector<std::string> watched;  // the table watch's calls
    ui::LoggerGUI::SaveAnswer answer = ui::LoggerGUI::SaveAnswer::Cancel;
};

}  // namespace vemo::test
