#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vemo::core {

// Where status texts for the operator go (the deck controller's ShowStat). Lower layers
// reach the main window's status line through this without knowing the controller.
class StatusDisplay {
  public:
    virtual ~StatusDisplay() = default;
    virtual void ShowStat(const std::string& text) = 0;
};

// The process-wide values of the console. Written only during start-up, on the main
// thread before any other thread exists; read-only afterwards.
class Ravlin {
  public:
    static inline std::string VCRType = "LX1";
    static inline bool lx1 = false;
    static inline bool recon = false;
    static inline bool lanc = false;
    static inline std::string name;
    static inline std::string title;
    static inline std::string comport1 = "COM1";
    static inline std::string comport2 = "COM2";
    static inline bool mcs = false;
    static inline int socketport = 2001;
    static inline std::string serveraddress;  // empty: listen on every local address
    static inline bool useclipboard = false;
    static inline bool stoponexit = true;
    static inline bool verbose = false;
    static inline std::string note;
    static inline bool initialize = true;
    static inline bool finalize = true;
    static inline bool onetitle = false;
    static inline bool autochapter = false;
    static inline int width = 320;
    static inline int fontheight = 13;
    static inline std::string OSString = "00:00:00:00";
    static inline std::string PRString = "00:00:00:00";

    // Raw texts of the settings, echoed as written; unset ones echo as "null".
    static inline std::optional<std::string> verbo;
    static inline std::optional<std::string> UseClipboard;
    static inline std::optional<std::string> StopOnExit;
    static inline std::string finalizestring = "YES";
    static inline std::string initializestring = "YES";
    static inline std::string automodestring = "Title";
    static inline std::string autochapstring = "NO";

    // Fixed values echoed for a RECON deck.
    static inline int compression = 4;
    static inline std::string VideoMode = "NTSC";
    static inline std::string VideoType = "COMP";
    static inline std::string LoopRecMode = "NO";
    static inline std::string LoopPlayMode = "NO";

    static inline std::string propsfilename = "VemoSettings.txt";
    static inline std::map<std::string, std::string> props;

    // The deck controller's status line, once the controller exists.
    static inline StatusDisplay* svcr = nullptr;

    static bool getlx1() { return lx1; }
    static bool getrecon() { return recon; }
    static bool getlanc() { return lanc; }
    static const std::string& getname() { return name; }
    static const std::string& getcomport2() { return comport2; }
    static bool getmcs() { return mcs; }
    static bool getuseclipboard() { return useclipboard; }
    static bool getstoponexit() { return stoponexit; }
    static bool getverbose() { return verbose; }
    static bool getinitialize() { return initialize; }
    static bool getfinalize() { return finalize; }
    static bool getonetitle() { return onetitle; }
    static bool getautochapter() { return autochapter; }
    static int getcompression() { return compression; }
    static int getwidth() { return width; }
    static int getfontheight() { return fontheight; }

    // Puts every global back to its initial value (start of a run, and tests).
    static void resetGlobals();
    // Shows a status text through the controller when there is one.
    static void ShowStat(const std::string& text);
};

// Whole-value comparison ignoring letter case, as the settings words are compared.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace vemo::core
