#pragma once

#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/settings.h"
#include "deck/deck_display.h"
#include "deck/time_fields.h"
#include "ui/gui_wait.h"
#include "ui/key_map.h"
#include "ui/logger_marks_relay.h"
#include "ui/main_layout.h"
#include "ui/recent_files.h"
#include "ui/status_line.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace vemo::deck {
class LocalVCR;
}

namespace vemo::ui {

// The main control window: transport, cue and review buttons, the three time fields, the
// shuttle slider and the status line of the one deck. Display calls may come from any
// thread; they are queued to the window's own thread.
class LocalGUI : public QWidget, public deck::DeckDisplay, public WaitAware {
  public:
    // How long a failure, and a notice such as a save, stays in the status line from its
    // first paint before other texts may replace it.
    static constexpr int kErrorHoldMs = 5000;
    static constexpr int kNoticeHoldMs = 2000;

    explicit LocalGUI(deck::LocalVCR& svcr, QWidget* parent = nullptr);
    ~LocalGUI() override;

    // Display operations (any thread).
    void ShowTC(const deck::TimeCode& tc) override;
    void ShowStatus(const std::string& text) override;
    bool waitHere(int milliseconds) override { return guiWait(milliseconds); }
    void ShowError(const std::string& text) override;
    void ShowStat(const std::string& text) { ShowStatus(text); }
    // A result the operator should read (a save): held kNoticeHoldMs in the usual colours.
    void showNotice(const std::string& text);
    // While set, the status line says what a sequence (a review-all) is doing instead of
    // the deck's status; errors and notices still show over it. Empty clears it.
    void showSequenceText(const std::string& text);
    // The settings the console started with.
    const core::Settings& settings() const;
    // Where the auxiliary controller's marks reach the open logger window.
    LoggerMarksRelay& loggerMarks() { return loggerMarks_; }
    // The files the dialogs of this console's windows chose, shared by all of them.
    RecentFiles& recentFiles() { return recentFiles_; }
    void ShowPlay(bool) {}
    void clearbuttons() override;
    void hilight(deck::Indicator control) override;
    void showIndicators(const std::vector<deck::Indicator>& controls) override;
    void hilightinout(bool in, bool out);
    void show() override;
    void setCueControlsEnabled(bool enabled) override;
    void EnableConnect(bool enabled) override;
    void ShowDeckAnswering(bool answering) override;
    void setcue() override;
    void setreview() override;
    void ShowIP(const std::string& address);

    // The shared listener: shows the word, then performs the first operation matching it.
    void actionPerformed(const std::string& word);

    // A key of the console (window thread): the same call the key's button or the slider
    // makes; nothing for a control this deck type does not show or that is disabled now.
    void keyAction(KeyAction action);
    const ShuttleStepper& shuttle() const { return shuttle_; }

    // Closing the logger window re-enables the logger button (any thread).
    void loggerClosed();

    // A quit nobody can be asked about (a termination signal): closes without questions;
    // what cannot be saved now is kept for the next start.
    void quitWithoutAsking();
    // True while the status line shows a failure (window thread).
    bool showingError() const;

    void setInputBlocked(bool blocked, bool stopAllowed) override;

    // Hooks filled by the parts built later. onOpenLogger returns true when a logger window
    // opened (the button then stays disabled until loggerClosed).
    std::function<bool()> onOpenLogger;
    std::function<void()> onOpenEdlMaker;
    std::function<void()> onScript;
    std::function<void()> onConnect;
    // Called when the window is about to close, before the deck is shut down: the parts that
    // drive the deck from other threads (server, auxiliary port) end here.
    std::function<void()> onClosing;
    // Asked before the window closes (mayAsk false: nobody can answer); false keeps the
    // window, the deck and everything else running.
    std::function<bool(bool mayAsk)> confirmClose;
    // Called after the window closed and the deck was shut down, with the exit code.
    std::function<void(int)> onClosed;

    // Controls currently carrying a highlight bar (window thread).
    bool isHighlighted(std::string_view name) const;
    const std::vector<Placement>& layout() const { return layout_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    LoggerMarksRelay loggerMarks_;
    RecentFiles recentFiles_;
    // On the window thread, after the highlight bars were changed: repaints when they differ.
    void highlightsChanged();
    void clearTransportRows();
    // A highlight changed otherwise than by a status read (any thread).
    void forgetHighlights();
    void buildControls();
    void buildHiddenControls();
    void placeControls();
    void connectControls();
    QPushButton* addButton(std::string_view name, std::string_view caption);
    QLineEdit* addTimeField(const char* name);
    void slider(int value);
    void shuttleKey(bool forward);
    void shuttleStopKey();
    // Presses a placed, enabled button as the mouse would; false when it cannot be pressed.
    bool pressButton(const char* name);
    // Moves the slider to show a speed the keys set, without sending its own frame.
    void showSlider(int value);
    // Whether Space stops (the deck runs) or plays.
    bool deckRunning() const;
    // The time fields' font, as large as the window's size allows for eleven characters.
    void fitTimeFields();
    void cueFieldEntered();
    void jogAndStop(bool forward);
    void eeOffSequence();
    void openLogger();
    void refreshField(deck::TimeFields::Field field);
    void queueFieldRefresh(deck::TimeFields::Field field);
    void clearRow(int y);
    void setHighlighted(std::string_view name, bool on);
    // Enables every control as its own state wants it, unless input is blocked.
    void applyEnabled();
    // Runs fn on the window thread: at once when called there, queued otherwise.
    void onGui(std::function<void()> fn);

    deck::LocalVCR& svcr_;
    bool lx1_;
    bool recon_;
    bool lanc_;
    const std::vector<Placement>& layout_;

    std::map<std::string, QWidget*, std::less<>> controls_;
    std::map<std::string, QPushButton*, std::less<>> buttons_;
    QLineEdit* tcfield_ = nullptr;
    QLineEdit* cuefield_ = nullptr;
    QLineEdit* endfield_ = nullptr;
    StatusLine* statusfield_ = nullptr;
    QLineEdit* ipfield_ = nullptr;
    QLabel* statuslabel_ = nullptr;
    QScrollBar* vsb_ = nullptr;
    int vsbval_ = 48;
    ShuttleStepper shuttle_;
    bool still_ = false;  // the last transport command left a still picture

    std::set<std::string, std::less<>> highlighted_;
    // The status poll repeats the same status and highlights several times a second: what was
    // last asked for is kept, so that a repeat queues nothing to the window thread. Any other
    // change of the highlights forgets it, so the next status read sets them again.
    struct StatusRequest {
        std::string text;
        bool held = false;  // a failure or notice: the next plain text is never a repeat
    };
    std::mutex requestMutex_;
    std::optional<StatusRequest> requestedStatus_;
    // Status texts come from several threads, some queued and some shown at once on the
    // window thread: each request is numbered under the lock, and one older than the text
    // on screen is dropped, so the newest request is always the one that stays.
    std::uint64_t statusRequests_ = 0;  // under requestMutex_
    std::uint64_t statusShown_ = 0;     // window thread only
    std::uint64_t nextStatusRequest(const std::string& text, bool held);
    bool isNewestStatus(std::uint64_t request);
    std::optional<std::vector<deck::Indicator>> requestedHighlights_;
    // The bars the last repaint was asked for, and whether a check against them is queued.
    std::set<std::string, std::less<>> paintedHighlights_;
    bool highlightCheckQueued_ = false;
    std::array<std::atomic<bool>, 3> refreshPending_{};
    std::atomic<int> shownFrames_{-1};  // the time code last sent to the window thread
    bool closing_ = false;
    bool askOnClose_ = true;

    // What each control's own state wants; input blocking comes on top.
    bool cueControlsEnabled_ = true;
    bool connectEnabled_ = true;
    bool loggerOpen_ = false;
    bool inputBlocked_ = false;
    bool stopAllowed_ = false;
};

}  // namespace vemo::ui
