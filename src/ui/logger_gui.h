#pragma once

#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>

#include "core/edl/logger_edl.h"
#include "core/edl/logger_recovery.h"
#include "deck/deck_display.h"
#include "ui/gui_wait.h"
#include "ui/key_map.h"
#include "ui/logger_layout.h"
#include "ui/recent_files.h"

class QCloseEvent;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace vemo::deck {
class LocalVCR;
}

namespace vemo::ui {

// The logger window: a scrolling grid of up to 100 clips with in and out points taken from
// the deck's time code, review of one clip or all of them, and EDL save and load. Every
// table access runs on the window's thread; the auxiliary controller's marks are queued
// there. The window owns its table: each new window starts with a fresh one.
class LoggerGUI : public QWidget, public deck::LoggerMarks, public WaitAware {
  public:
    enum class SaveAnswer { Save, Discard, Cancel };

    // recoveryPath: where the crash copy of the clips is kept (the working folder's
    // "VemoRecovery.txt" in the console).
    explicit LoggerGUI(deck::LocalVCR& svcr,
                       std::filesystem::path recoveryPath = core::LoggerRecovery::kFileName,
                       QWidget* parent = nullptr);
    ~LoggerGUI() override;

    // The auxiliary controller's set-in / set-out (any thread): the time code shown now is
    // taken at once, the entry is written on the window's thread.
    void setin() override;
    void setout() override;

    // Row r shows entry o + r.
    void ReState(int o);
    // Reviews the entry shown in row 0 (returns as soon as the review is under way).
    void ReviewClip();
    // Reviews every clip up to the first without an out point, each to its out point.
    void RevAll();
    // The file dialog: the chosen path, or "" when cancelled.
    std::string GetFileName(const std::string& prompt);
    void loadEDL();
    // The console's recent files: the dialogs start in the newest one's folder and offer
    // the others; every file chosen joins them. None: the window's own last folder only.
    void setRecentFiles(RecentFiles* recent) { recent_ = recent; }
    // False when the operator cancelled the dialog or the file could not be written.
    bool saveEDL();
    // "Export…": the list as a save would write it, as ALE, OpenTimelineIO or CSV by the
    // chosen file's extension. False when cancelled or nothing was written.
    bool exportClips();
    static constexpr const char* ExportPrompt = "Export Clips (.ale, .otio, .csv)";

    // A key of the console pressed in this window (window thread): the logger's own keys
    // here, the others go to the main window (onMainKey).
    void keyAction(KeyAction action);
    // M: the next mark of the set-in / set-out sequence, in then out, each pair a row down.
    void markNext();
    // Brings the entry shown in row r to row 0, where it can be typed into; focus goes to
    // row 0's field of the column given (name, in or out; the edit number gives the name).
    void bringToRowZero(int r, const QString& column);
    // The entry a review-all is playing now, or -1.
    int reviewing() const { return reviewing_; }
    // Whether an entry differs from the list as last saved or loaded.
    bool entryChanged(int entry) const;

    int vsbval() const { return vsbval_; }
    int offset() const { return offset_; }
    core::LoggerEDL& edl() { return edl_; }
    // True when the table holds clips that are in no file: changed since the last save,
    // or left over from before a load that did not replace them.
    bool changed() const;

    // Offers the clips a console that did not close normally left in the recovery file.
    void offerRecovery();
    // Asks about unsaved clips before the console closes (Save / Discard / Cancel); false
    // keeps everything running. Without asking (a termination signal) the clips stay in the
    // recovery file for the next start.
    bool confirmQuit(bool mayAsk);
    const core::LoggerRecovery& recovery() const { return recovery_; }

    void setInputBlocked(bool blocked, bool stopAllowed) override;

    // Replaceable for tests. fileChooser: the path chosen ("" for cancel); save picks the
    // save dialog. askSave: whether to save changed clips before the window closes.
    std::function<std::string(const std::string& prompt, bool save)> fileChooser;
    std::function<SaveAnswer()> askSave;
    // A file operation failed: the operator is shown why (a dialog by default).
    std::function<void(const std::string& message)> showError;
    // Whether to restore the clips found in the recovery file.
    std::function<bool(int entries)> askRestore;
    // Called once, on the window's thread, when the window has accepted its closing.
    std::function<void()> onClosed;
    // The keys that belong to the main window (cue, review, transport).
    std::function<void(KeyAction)> onMainKey;
    // The main window's status line: a result held long enough to be read (a save), and
    // the clip a review-all plays ("" when it ends). Unset: plain status texts.
    std::function<void(const std::string&)> showNotice;
    std::function<void(const std::string&)> showSequenceText;
    // After every change of the clip table (window thread): who lists the logged clips
    // elsewhere takes its copy here.
    std::function<void()> onTableChanged;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* target, QEvent* event) override;

  private:
    struct Row {
        QLineEdit* edit = nullptr;
        QLineEdit* name = nullptr;
        QLineEdit* in = nullptr;
        QLineEdit* out = nullptr;
    };
    // Counts an operation in progress; a close asked for meanwhile follows once it ends.
    class Busy {
      public:
        explicit Busy(LoggerGUI& gui);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

      private:
        LoggerGUI& gui_;
    };

    void buildButtons();
    void buildRows();
    void buildScrollBar();
    void placeAll();
    QPushButton* addButton(const std::string& name, const char* caption);
    QLineEdit* addField(const std::string& name);

    // The listeners.
    void LB();
    void SB();
    void EB();
    void SIB(int r);
    void SOB(int r);
    void CUE(int r);
    void NAME();
    void INTIME();
    void OUTTIME();
    void VSB(int v);

    // The marks on the window's thread, with the time code taken when they were made.
    void markIn(const std::string& tc);
    void markOut(const std::string& tc);
    void rememberSaved();
    // After a load: the loaded entries count as saved, any other clip as unsaved.
    void rememberLoaded(int count);
    bool confirmClose();
    // Asks whether to save changed clips first; false when the operator cancelled or the
    // save failed.
    bool settleUnsaved(const QString& question, bool closing);
    // Every change of the table ends here: the crash copy and the warning colours follow.
    void tableChanged();
    // Brings the look of the field's row up to date: the clip under review, entries changed
    // since the last save, time texts a save would refuse.
    void markValidity(QLineEdit* field);
    void refreshLooks();
    void refreshRowLook(int r);
    // A review-all has reached entry e (-1: it has ended): highlighted, and scrolled into view.
    void showReviewing(int e);
    void reportFailure(const std::string& message);
    void reviewAll(std::stop_token stop);
    // The clips a review-all plays: those before the first entry without an out point.
    int clipsToReview() const;

    std::string defaultFileChooser(const std::string& prompt, bool save);
    SaveAnswer defaultAskSave();
    bool defaultAskRestore(int entries);

    deck::LocalVCR& svcr_;
    core::LoggerEDL edl_;
    core::LoggerTable saved_;  // the clips as last saved or loaded
    core::LoggerRecovery recovery_;
    bool recoveryFailed_ = false;  // the last crash copy could not be written
    QString saveQuestion_;
    QString directory_;  // where the file dialog starts (empty: the working folder)
    RecentFiles* recent_ = nullptr;

    std::array<Row, logger::NumRows> rows_{};
    QScrollBar* vsb_ = nullptr;

    int vsbval_ = 0;
    int offset_ = 0;
    int shownFirst_ = 0;  // the entry the grid shows in row 0
    int reviewing_ = -1;  // the entry a review-all plays now
    bool nextMarkIsOut_ = false;
    int LoadOrSave_ = 1;
    int busy_ = 0;
    bool closePending_ = false;
    bool closing_ = false;
    bool closed_ = false;
};

}  // namespace vemo::ui
