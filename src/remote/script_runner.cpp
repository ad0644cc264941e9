#include "remote/script_runner.h"

#include <exception>
#include <fstream>

#include "core/utils.h"

namespace vemo::remote {
namespace {

// Sequenced mode lasts exactly as long as the run, however the run ends.
class ScriptActive {
  public:
    explicit ScriptActive(deck::LocalVCR& svcr) : svcr_(svcr) { svcr_.setscriptactive(true); }
    ~ScriptActive() { svcr_.setscriptactive(false); }
    ScriptActive(const ScriptActive&) = delete;
    ScriptActive& operator=(const ScriptActive&) = delete;

  private:
    deck::LocalVCR& svcr_;
};

constexpr std::size_t kShortestLine = 4;

}  // namespace

ScriptRunner::ScriptRunner(deck::LocalVCR& svcr, std::filesystem::path path)
    : svcr_(svcr), dispatcher_(svcr, [this](int ms) { wait(ms); }), path_(std::move(path)) {}

void ScriptRunner::wait(int milliseconds) {
    // In slices, so a stop request ends even a "Wait" of days at once.
    constexpr int kSlice = 100;
    while (milliseconds > 0 && !stop_.stop_requested()) {
        const int slice = milliseconds < kSlice ? milliseconds : kSlice;
        svcr_.DelayT(slice);
        milliseconds -= slice;
    }
}

bool ScriptRunner::readLine(std::istream& in, std::string& line) {
    line.clear();
    std::istream::int_type c = in.get();
    if (c == std::istream::traits_type::eof())
        return false;
    while (c != std::istream::traits_type::eof()) {
        if (c == '\n')
            return true;
        if (c == '\r') {
            if (in.peek() == '\n')
                in.get();
            return true;
        }
        line.push_back(static_cast<char>(c));
        c = in.get();
    }
    // The end of the file ends a last line too, unless the stream failed on the way.
    return !in.bad();
}

void ScriptRunner::script(std::stop_token stop) {
    stop_ = std::move(stop);
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec)) {
        core::OutLine("No script file found!");
        svcr_.ShowError("No script file found!");
        svcr_.DelayT(1000);
        svcr_.setscriptactive(false);
        return;
    }
    ScriptActive active(svcr_);
    {
        std::ifstream in;
        // A folder of that name exists but is no file to read.
        if (!std::filesystem::is_directory(path_, ec))
            in.open(path_, std::ios::binary);
        if (in.is_open()) {
            core::OutLine(" ");
            core::OutLine("**********");
            core::OutLine("Found Script.txt File");
            runLines(in);
        }
    }  // the file is closed here, before the closing lines
    core::OutLine("Script ended");
    core::OutLine("**********");
    core::OutLine(" ");
}

void ScriptRunner::runLines(std::istream& in) {
    std::string line;
    try {
        while (!stop_.stop_requested() && readLine(in, line)) {
            if (line == "Quit")
                return;
            if (line.size() < kShortestLine)
                return;
            core::OutLine(line);
            bool ok = line[0] == ';' || dispatcher_.ParseNetCommand(line);
            if (!ok) {
                core::OutLine("Script Error");
                return;
            }
        }
    } catch (const std::exception& e) {
        // A failing command ends the run like a read failure, with a line saying why.
        core::OutLine(std::string("Script stopped: ") + e.what());
    }
}

}  // namespace vemo::remote
