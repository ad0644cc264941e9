#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/frame_rate.h"

namespace vemo::core {

// The console's settings, read once at start-up from the settings file and passed down by
// value (or const reference) to what needs them. Nothing changes them afterwards.
struct Settings {
    std::string VCRType = "LX1";
    bool lx1 = false;
    bool recon = false;
    bool lanc = false;
    // The edition name (" Vemo", " Halvo") and the window title built from it.
    std::string name;
    std::string title;
    std::string comport1 = "COM1";
    std::string comport2 = "COM2";
    bool mcs = false;  // the auxiliary controller port is on
    int socketport = 2001;
    std::string serveraddress;  // empty: listen on every local address
    // The command server's optional keys, as written (unset: nothing). ServerAddress is set
    // even when empty: an empty address is then an error, not "every address". A ServerPort
    // that is a port number also sets socketport; the server refuses to start on any other.
    bool serveraddressset = false;
    std::optional<std::string> ServerPort;
    std::optional<std::string> ServerIdleTimeout;
    std::optional<std::string> ServerAllow;
    // The disk-recorder server's keys, as written (unset: nothing; no port: no server).
    std::optional<std::string> RecorderServerPort;
    std::optional<std::string> RecorderServerClients;
    std::optional<std::string> RecorderServerRecord;
    bool useclipboard = false;
    bool stoponexit = true;
    bool verbose = false;
    std::string note;
    bool initialize = true;
    bool finalize = true;
    bool onetitle = false;
    bool autochapter = false;
    int width = 320;
    int fontheight = 13;
    std::string OSString = "00:00:00:00";
    std::string PRString = "00:00:00:00";

    // Raw texts of the settings, echoed as written; unset ones echo as "null".
    std::optional<std::string> verbo;
    std::optional<std::string> UseClipboard;
    std::optional<std::string> StopOnExit;
    std::string finalizestring = "YES";
    std::string initializestring = "YES";
    std::string automodestring = "Title";
    std::string autochapstring = "NO";

    // Frame rate and standard-EDL conversion options; their raw texts are echoed only when
    // the file sets them.
    FrameRate frameRate = FrameRate::Fps30;
    bool skipAudioOnly = false;   // leave out events with no video track
    bool skipZeroLength = false;  // leave out events whose source out equals the source in
    bool reelChanges = false;     // a WAI (new tape) wherever the source reel changes
    std::optional<std::string> FrameRateText;
    std::optional<std::string> SkipAudioOnlyText;
    std::optional<std::string> SkipZeroLengthText;
    std::optional<std::string> ReelChangesText;

    // Fixed values echoed for a RECON deck.
    int compression = 4;
    std::string VideoMode = "NTSC";
    std::string VideoType = "COMP";
    std::string LoopRecMode = "NO";
    std::string LoopPlayMode = "NO";

    // The settings of a deck type with everything else at its initial value (tests, tools).
    static Settings forDeck(std::string_view type);
};

inline constexpr const char* kSettingsFile = "VemoSettings.txt";

enum class PropsResult { ok, missing, problem };

struct SettingsRead {
    PropsResult result = PropsResult::ok;
    Settings settings;
};

// Reads the settings file. Prints "No Settings File found!" when it is missing (the caller
// ends the process) and "Settings File Problem" when it cannot be read (start-up goes on
// with the initial values).
SettingsRead GetProps(const std::string& path = kSettingsFile);

// The settings a loaded key table gives, read in the order of the keys' meaning.
Settings applyProps(const std::map<std::string, std::string>& props);

// Names the edition after the deck type: " Halvo" for RECON, " Vemo" otherwise.
void nameEdition(Settings& settings);

// Writes the settings echo into the log.
void showprops(const Settings& settings);

// A TCP port number written as plain decimal digits, 1 to 65535; nothing otherwise.
std::optional<int> portNumber(std::string_view text);

// Whole-value comparison ignoring letter case, as the settings words are compared.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace vemo::core
