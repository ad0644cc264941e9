#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "core/edl/logger_edl.h"
#include "deck/deck_display.h"
#include "ui/logger_layout.h"

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
class LoggerGUI : public QWidget, public deck::LoggerMarks {
  public:
    enum class SaveAnswer { Save, Discard, Cancel };

    explicit LoggerGUI(deck::LocalVCR& svcr, QWidget* parent = nullptr);
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
    // False when the operator cancelled the dialog or the file could not be written.
    bool saveEDL();

    int vsbval() const { return vsbval_; }
    int offset() const { return offset_; }
    core::LoggerEDL& edl() { return edl_; }
    // True when the clips differ from those last saved or loaded (or built).
    bool changed() const;

    // Replaceable for tests. fileChooser: the path chosen ("" for cancel); save picks the
    // save dialog. askSave: whether to save changed clips before the window closes.
    std::function<std::string(const std::string& prompt, bool save)> fileChooser;
    std::function<SaveAnswer()> askSave;
    // Called once, on the window's thread, when the window has accepted its closing.
    std::function<void()> onClosed;

  protected:
    void closeEvent(QCloseEvent* event) override;

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
    bool confirmClose();

    std::string defaultFileChooser(const std::string& prompt, bool save);
    SaveAnswer defaultAskSave();

    deck::LocalVCR& svcr_;
    core::LoggerEDL edl_;
    core::LoggerTable saved_;  // the clips as last saved or loaded
    QString directory_;        // where the file dialog starts (empty: the working folder)

    std::array<Row, logger::NumRows> rows_{};
    QScrollBar* vsb_ = nullptr;

    int vsbval_ = 0;
    int offset_ = 0;
    int LoadOrSave_ = 1;
    int busy_ = 0;
    bool closePending_ = false;
    bool closing_ = false;
    bool closed_ = false;
};

}  // namespace vemo::ui
