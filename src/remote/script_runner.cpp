#include "remote/script_runner.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <exception>

#include "core/line_reader.h"
#include "core/unique_fd.h"
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
        // Non-blocking, so a FIFO of that name cannot hang the window; only a regular file
        // is a script (a folder of that name is not).
        core::UniqueFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        struct stat info {};
        if (fd.get() >= 0 && ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode)) {
            core::OutLine(" ");
            core::OutLine("**********");
            core::OutLine("Found Script.txt File");
            core::FileSource source(fd.get());
            core::LineReader lines(source);
            runLines(lines);
        }
    }  // the file is closed here, before the closing lines
    core::OutLine("Script ended");
    core::OutLine("**********");
    core::OutLine(" ");
}

void ScriptRunner::runLines(core::LineReader& lines) {
    std::string line;
    try {
        // A read failure ends the run like the end of the file.
        while (!stop_.stop_requested() && lines.next(line) == core::ByteSource::Status::Byte) {
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
