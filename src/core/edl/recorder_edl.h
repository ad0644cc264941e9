#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/edl/recorder_view.h"
#include "core/frame_rate.h"
#include "core/settings.h"

namespace vemo::core {

class RecorderLineReader;

// One event of a standard EDL line as the converter takes it.
struct SourceEvent {
    std::string in;     // source in, as written
    std::string out;    // source out, as written
    std::string reel;   // "" when the line does not start with an edit number and a reel
    bool video = true;  // the track field names a video track (or the line names none)
};

// What the last load and conversion left out of the recorder list, for the operator.
struct RecorderOmissions {
    std::map<int, std::string> badEvents;  // source line number -> why its event was left out
    int notFitting = 0;                    // source events after the list was full
    int stoppedAtLine = 0;                 // reading stopped at this line (not text); 0: no
    bool lineLimit = false;                // lines past the 999th were not read
    bool any() const {
        return !badEvents.empty() || notFitting > 0 || stoppedAtLine > 0 || lineLimit;
    }
};

// Turns a standard EDL into the LX-1 recorder's own edit list ("PIONEER-DVDRec-EDL 001"
// followed by INI, REC, CHP, WAI and FNL commands) and edits that list. The EDL maker
// window drives it on its event thread; vemo-lxedl drives it from the command line.
// Every operation keeps every index inside its array whatever the input or the fields.
class RecorderEDL {
  public:
    static constexpr int RawSize = 999;
    static constexpr int LxSize = 99;
    static constexpr std::string_view Header = "PIONEER-DVDRec-EDL 001";
    static constexpr std::string_view Free = " ";
    static constexpr std::string_view Stop = "STOP";
    static constexpr std::string_view Pause = "PAUSE";

    static constexpr std::string_view ReadingText = "Reading File...";
    static constexpr std::string_view NotFoundText = "EDL file not found!";
    static constexpr std::string_view ReadLogText = "Problem reading file!";
    static constexpr std::string_view ReadAreaText = "Problem Reading File";
    static constexpr std::string_view WriteLogText = "Problem writing file!";
    static constexpr std::string_view SameFileText = "that is the source EDL itself";
    static constexpr std::string_view FullText = "LX-1 EDL IS FULL";
    static constexpr std::string_view EndText = "END OF SOURCE EDL";
    static constexpr std::string_view TitleText = " EDLMaker    Source EDL:  ";
    static constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

    static constexpr int MessageWait = 3000;
    static constexpr int FullWait = 1000;
    static constexpr int EndWait = 500;

    // Options come from the settings; the view is not owned and must outlive the engine
    // (none: show nothing, sleep, log with OutLine).
    explicit RecorderEDL(RecorderView* view = nullptr, const Settings& settings = {});
    RecorderEDL(const RecorderEDL&) = delete;
    RecorderEDL& operator=(const RecorderEDL&) = delete;
    void setView(RecorderView* view);

    // Reading the source (false when the file is missing or could not be read).
    bool parseedl(const std::string& directory, const std::string& name);
    // The same reading rules over a text in memory.
    void parseText(std::string_view text);
    static bool lineok(std::string_view line);
    void newrawedl();
    void showrawedl();

    // Converting.
    void newlxedl();
    void showlxedl();
    void autoedl();
    void parsenextline();
    void getsourcetime(const std::string& line);
    // The event of one line by the reading rules, whether or not it is valid; nothing
    // for a line that holds no source in and out.
    static std::optional<SourceEvent> eventOf(std::string_view line);
    // Why an event cannot be recorded at the rate ("" when it can): a source time that is
    // not a time code of the rate, or a source out before the source in.
    static std::string invalidReason(const SourceEvent& event, FrameRate rate);
    // The omissions as lines for the operator ("line 12: ..."); none when nothing was left
    // out.
    std::vector<std::string> leftOutReport() const;
    static bool isnumeric(char c) { return c >= '0' && c <= '9'; }
    static bool iscolon(char c) { return c == ':'; }

    // Editing the output list.
    void backupsourceedl();
    void removeoutputline();
    void changepausetostop();
    void changestoptopause();
    void setchapter();
    void addwait();

    // Writing: true when the file was written. The final fix-ups of the list run even
    // without a name (nothing is written then).
    bool saveedl(const std::string& directory, const std::string& name);
    // The recorder EDL text: lines end with CR LF in the file, LF in the output area.
    std::string edltext(bool crlf);

    // Source side.
    std::array<std::string, RawSize> rawedl;
    int rawlinecount = 0;
    int rawline = 0;
    std::int64_t filesize = 0;
    std::int64_t readsofar = 0;
    std::string data;
    std::string timestring1;
    std::string timestring2;

    // Output side.
    std::array<std::string, LxSize> lxedl;
    int lxline = 0;
    int lxmin = 0;
    int lxmax = LxSize;
    std::string titlemodestring{Stop};
    bool wait = false;
    std::string rawfile;
    std::string lxfile;

    // Options.
    bool initialize = true;
    bool finalize = true;
    bool onetitle = false;
    bool autochapter = false;
    bool verbose = false;
    std::string editionName;  // shown before the window title
    // Opt-in filters and tape changes (all off: every event becomes a command).
    bool skipAudioOnly = false;
    bool skipZeroLength = false;
    bool reelChanges = false;
    // Source times are checked against this rate.
    FrameRate rate = FrameRate::Fps30;

    RecorderOmissions omissions;

    // Why the last read or write failed.
    std::error_code ioerror;
    // The save was refused because its path names the source file itself.
    bool sameAsSource = false;

  private:
    void readSource(RecorderLineReader& reader);
    bool readFailed();
    void finishFixups();
    void setMode(std::string_view mode);
    void changeLastMode(std::string_view mode);
    void applyAutoChapter();
    void extendRecording();
    void full();
    // Takes one valid event into the list; false when the list had no room for it.
    bool takeEvent(const SourceEvent& event);
    // Counts, and checks, the events of the lines not yet processed.
    void countLeftOver();
    // An event the opt-in filters leave out (audio-only, zero-length).
    bool leftOutByFilter(const SourceEvent& event) const;
    bool isSourceFile(const std::string& path) const;
    static bool isRec(const std::string& command);
    static bool endsWith(const std::string& text, std::string_view tail);
    // Entry i of the output list, or nullptr when i lies outside it.
    std::string* entry(int i);
    const std::string& rawAt(int i) const;

    std::string sourcePath_;    // the file last loaded ("" for none or text)
    std::string lastReel_;      // reel of the event taken last
    int currentLine_ = 0;       // source line number being processed (0: none)
    bool roomRefused_ = false;  // an event found no room for its tape change
    RecorderView fallbackView_;
    RecorderView* view_;
};

// Joins a dialog's directory and a file name into one path.
std::string recorderPath(const std::string& directory, const std::string& name);

}  // namespace vemo::core
