#pragma once

#include <filesystem>
#include <stop_token>
#include <string>

#include "core/line_reader.h"
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

  private:
    void runLines(core::LineReader& lines);

    void wait(int milliseconds);

    deck::LocalVCR& svcr_;
    std::stop_token stop_;
    Dispatcher dispatcher_;
    std::filesystem::path path_;
};

}  // namespace vemo::remote
