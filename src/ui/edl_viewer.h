#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/edl/recorder_edl.h"
#include "core/edl/recorder_view.h"
#include "ui/recent_files.h"

class QCheckBox;
class QCloseEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vemo::ui {

// A file picked in the open or save dialog: its folder and its bare name.
struct FileChoice {
    std::string directory;
    std::string name;
};

enum class FileDialogMode { Open, Save };

// Shows the modal file dialog titled title on parent, starting in directory (empty: the
// platform's usual place) and offering the recent files (when given); nothing when the
// operator cancels.
using FileChooser = std::function<std::optional<FileChoice>(
    QWidget* parent, FileDialogMode mode, const QString& title, const std::string& directory,
    const RecentFiles* recent)>;

// The modal Qt file dialog.
std::optional<FileChoice> chooseWithDialog(QWidget* parent, FileDialogMode mode,
                                           const QString& title, const std::string& directory,
                                           const RecentFiles* recent);

// The EDL maker: a standard EDL on the left, the LX-1 recorder list built from it on the
// right, buttons to load, convert, step, edit and save it, and four option boxes. Each
// window has its own engine, options and boxes; any number may be open. Everything runs
// on the window event thread. The window deletes itself when closed; nothing is saved.
class EDLViewer : public QWidget, public core::RecorderView {
    Q_OBJECT

  public:
    explicit EDLViewer(const core::Settings& settings = {}, QWidget* parent = nullptr);
    ~EDLViewer() override;

    // The buttons' shared listener: "load", "auto", "next", "back", "save", "stop",
    // "pause", "chap", "wait", "del". Ignored while another operation of this window is
    // still running (its message wait lets queued calls through).
    void actionPerformed(std::string_view command);

    // The engine's texts land in the two areas and the title.
    void showSource(const std::string& text) override;
    void showOutput(const std::string& text) override;
    void setTitle(const std::string& text) override;
    void wait(int milliseconds) override;
    void showFailure(const std::string& text) override;

    core::RecorderEDL& engine() { return edl_; }
    const std::string& directory() const { return directory_; }

    // The open and save dialogs; replaceable (tests answer without a dialog).
    FileChooser chooser = chooseWithDialog;
    // The console's recent files (none: the window's own last folder only). The dialogs
    // start in the newest one's folder; every file chosen joins them.
    RecentFiles* recent = nullptr;
    // A failed file operation; a warning dialog unless replaced (tests record it).
    std::function<void(const std::string& text)> showError;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildAreas();
    QWidget* buildButtonPanel(const char* name, int firstButton, int lastButton);
    QWidget* buildOptionPanel();
    void connectOptions();
    // Shows what the last load and conversion left out of the recorder list (hidden when
    // nothing was).
    void showLeftOut();

    // Runs one operation unless another one is in progress; a close asked for meanwhile
    // is carried out afterwards, so the window never goes while its engine is working.
    bool guarded(const std::function<void()>& operation);

    // Where the next dialog starts, and what a choice leaves behind.
    std::string startFolder() const;
    void chosen(const FileChoice& choice);
    void load();
    void save();
    void pauseMode();
    void stopMode();
    void processLine();

    // The check boxes' listeners.
    void useIni(bool on);
    void useFnl(bool on);
    void recMode(bool on);
    void autoCh(bool on);
    void optionChanged(QCheckBox* box, bool on, const std::function<void()>& apply);
    // Sets a box without counting as the operator's change (no conversion starts).
    static void setQuietly(QCheckBox* box, bool on);

    core::RecorderEDL edl_;
    std::string directory_;

    QPlainTextEdit* textarea_ = nullptr;
    QPlainTextEdit* outarea_ = nullptr;
    QCheckBox* useini_ = nullptr;
    QCheckBox* usefnl_ = nullptr;
    QCheckBox* recmode_ = nullptr;
    QCheckBox* autoch_ = nullptr;
    QLabel* report_ = nullptr;

    int busy_ = 0;
    bool closePending_ = false;
};

}  // namespace vemo::ui
