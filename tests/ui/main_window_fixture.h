#pragma once

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest/QTest>
#include <memory>
#include <optional>
#include <vector>

#include "core/settings.h"
#include "deck/local_vcr.h"
#include "support/deck_frames.h"
#include "support/fake_command_port.h"
#include "support/process.h"
#include "ui/local_gui.h"

namespace vemo::test {

// Every paint of a text field, with its time and the text it painted: what the operator saw
// and for how long, as distinct from when a text was asked for.
class PaintLog : public QObject {
  public:
    explicit PaintLog(QLineEdit* field) {
        clock_.start();
        field->installEventFilter(this);
    }
    // Milliseconds from the first paint of text to the first later paint of another text.
    std::optional<qint64> shownFor(const QString& text) const {
        std::optional<qint64> first;
        for (const Paint& p : paints_) {
            if (!first && p.text == text)
                first = p.ms;
            else if (first && p.text != text)
                return p.ms - *first;
        }
        return std::nullopt;
    }

  protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            paints_.push_back({clock_.elapsed(), static_cast<QLineEdit*>(target)->text()});
        return false;
    }

  private:
    struct Paint {
        qint64 ms;
        QString text;
    };
    QElapsedTimer clock_;
    std::vector<Paint> paints_;
};

// A real controller over a recording port, and its main window.
class MainWindowTest : public ::testing::Test {
  protected:
    void make(const char* type = "TAPE", bool lanc = false) {
        core::Settings deck = core::Settings::forDeck(type);
        settings.VCRType = deck.VCRType;
        settings.lx1 = deck.lx1;
        settings.recon = deck.recon;
        settings.lanc = lanc;
        settings.note = "Bench";
        settings.title = " Vemo Video Deck Console";
        vcr = std::make_unique<deck::LocalVCR>(&port, settings);
        gui = std::make_unique<ui::LocalGUI>(*vcr);
        vcr->setDisplay(gui.get());
    }
    void TearDown() override {
        if (vcr) {
            vcr->stopCue();
            vcr->stopPolling();
            vcr->setDisplay(nullptr);
        }
        gui.reset();
        vcr.reset();
    }
    // What make() does not set; a test may change it before make().
    core::Settings settings;

    template <typename T = QWidget>
    T* child(const char* name) {
        T* w = gui->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPushButton* button(const char* name) { return child<QPushButton>(name); }
    // A time code as if read from the deck.
    void showTimeCode(const std::string& text) {
        vcr->publishTimeCode(*deck::TimeCode::parse(text));
    }
    QString status() { return child<QLineEdit>("statusfield")->text(); }
    // A key pressed with the focus on target (the window itself unless given).
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             QWidget* target = nullptr) {
        QTest::keyClick(target != nullptr ? target : gui.get(), k, modifiers);
    }
    void showWindow() {
        gui->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(gui.get()));
    }

    FakeCommandPort port;
    std::unique_ptr<deck::LocalVCR> vcr;
    std::unique_ptr<ui::LocalGUI> gui;
};

}  // namespace vemo::test
