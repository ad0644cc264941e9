#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/edl/logger_table.h"
#include "core/frame_rate.h"

namespace vemo::core {
class ByteSource;

// An entry that would be saved with a source time that is not a valid time text.
struct LoggerBadEntry {
    int entry = -1;                // index into the table
    bool sourceIn = true;          // the source in (else the source out)
    std::string text;              // the text as stored
    std::string describe() const;  // "entry 3 has an invalid source in: \"00:00:5\""
};

// What a save did. The file on disk is either the whole new list or left as it was.
struct LoggerSaveResult {
    bool saved = false;                      // the new file is in place
    std::optional<LoggerBadEntry> badEntry;  // why nothing was written, when it is that
    int eventsWritten = 0;                   // event lines in the file
    bool stoppedAtBadEntry = false;          // an entry without a valid source time ended the list
    bool reversedEntries = false;            // some entry's out lay before its in
    std::string statusMessage;  // for the main window's status line; "" when all went well
};

// What a load did. Entries from count on keep what they held before.
struct LoggerLoadResult {
    int count = 0;                    // entries taken from the file
    bool ok = true;                   // false after a file error
    std::string failure;              // the file error's log line when !ok
    bool stoppedAtShortLine = false;  // a line ended before its source out
    std::string statusMessage;        // "" unless stoppedAtShortLine
    std::string rateWarning;          // the list counts at another frame rate ("" if not)
};

// The logger's EDL file format and its time-code arithmetic over the event table. Texts are
// 8-bit characters (the window converts to and from Latin-1). Not thread-safe: the logger
// window calls it from its own thread.
class LoggerEDL {
  public:
    // Outcome of taking the source times out of one EDL line.
    enum class SourceTimes { Taken, Unchanged, PastEnd };

    LoggerTable table;

    // Fields per frame, second, minute and hour.
    int fpfr = 2;
    int fps = 60;
    int fpm = 3600;
    int fph = 216000;
    // Split by the last Extracthmsf.
    int h = 0;
    int m = 0;
    int s = 0;
    int fr = 0;
    std::string SMPTE;
    // Set by getduration.
    std::int64_t startframes = 0;
    std::int64_t endframes = 0;
    std::int64_t duration = 0;
    // Source in and out of the last EDL line that had them.
    std::string timestring1;
    std::string timestring2;
    // File name (no directory) last chosen in the file dialog: the EDL's title.
    std::string savename;
    // Separator before the frames of record-out times.
    std::string FCMString = ":";
    // The main window's separator: first record-in time and the FCM header line.
    std::string mainFCMString = ":";
    // The rate durations and record times are counted in; set it with setFrameRate.
    FrameRate rate = FrameRate::Fps30;
    // From the settings: the console's title for the "REM Made by" line, and whether read
    // lines are logged.
    std::string madeBy;
    bool verbose = false;

    // The rate and, with it, both separators before the frames (";" for drop-frame), so
    // saved files carry the matching FCM line.
    void setFrameRate(FrameRate newRate);

    static bool isnumeric(char c) { return c >= '0' && c <= '9'; }
    static bool iscolon(char c) { return c == ':'; }

    // Splits text into h, m, s, fr and returns their field count. A pair that is not two
    // digits (or lies past the end of the text) reads as 0.
    int Extracthmsf(std::string_view text);
    // Drop-frame correction in fields for the h and m of the last Extracthmsf.
    int DRFCountcor() const;
    int CalcDRFCount(std::string_view text);
    int TC2FieldsNDF(std::string_view text) { return Extracthmsf(text); }
    int TC2FieldsDF(std::string_view text) { return CalcDRFCount(text); }
    // Builds HH:MM:SS:FF into SMPTE and logs it.
    void SMPTEstring(int hours, int minutes, int seconds, int frames);

    // Frame counts of entry i's source in and out and their difference. Returns false (and
    // sets all three to 0) when either time is not a well-formed time text.
    bool getduration(int i);
    // The time text of (frame count of t) + d; t may carry hours past 99. A malformed t
    // counts as 0 frames.
    std::string MakeZeroString2(std::string_view t, std::int64_t d) const;

    // Takes the first two time codes of an event line into timestring1 and timestring2.
    SourceTimes getsourcetime(std::string_view line);

    // The first entry a save would write whose source in or out is not a valid time text.
    std::optional<LoggerBadEntry> firstBadEntry() const;
    // Number of entries a save writes: up to the first source out of "00:00:00:00" after
    // entry 1.
    int entriesToSave() const;

    // Writes the table as an EDL file; never changes the table. When any entry it would
    // write has an invalid source time nothing is written and the file stays as it was.
    LoggerSaveResult SaveEDL(const std::string& path);
    // Reads events from an EDL file into the table.
    LoggerLoadResult LoadEDL(const std::string& path);
    // The load's rules over bytes already in memory (as if read from a file).
    LoggerLoadResult LoadEDLBytes(std::string_view bytes);

    // The bytes SaveEDL writes, with the result's entry flags and messages filled in.
    std::string buildEDL(LoggerSaveResult& result);

  private:
    LoggerLoadResult loadFrom(ByteSource& source);
    bool takeEventLine(const std::string& line, int lineNumber, int& entry,
                       LoggerLoadResult& result);
    void noteRate(const std::string& why, LoggerLoadResult& result) const;
};

}  // namespace vemo::core
