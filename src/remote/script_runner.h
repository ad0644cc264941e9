#pragma once

#include <filesystem>
#include <istream>
#include <stop_token>
#include <string>

#include "deck/local_vcr.h"
#include "remote/dispatcher.h"

namespace vemo::remote {

// Runs "Script.txt" (or the given file) line by line through the command vocabulary, in
// sequenced mode, on the calling thread. Progress goes to the log.
class ScriptRunner {
  public:
    static constexpr const char* kScriptFile = "Script.txt";

    explicit ScriptRunner(deck::LocalVCR& svcr, std::filesystem::path path = kScriptFile);

    // The whole run; returns when the script has ended, whichever way. A stop request ends
    // it before the next line, and ends a "Wait" line at once.
    void script(std::stop_token stop = {});

    // One line of a text file ending at LF, CR or CR LF; a last line without a line end
    // counts. False at the end of the file (nothing read) or on a read failure.
    static bool readLine(std::istream& in, std::string& line);

  private:
    void runLines(std::istream& in);

    void wait(int milliseconds);

    deck::LocalVCR& svcr_;
    std::stop_token stop_;
    Dispatcher dispatcher_;
    std::filesystem::path path_;
};

}  // namespace vemo::remote
