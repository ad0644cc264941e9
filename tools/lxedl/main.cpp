// vemo-lxedl: converts a standard EDL into an LX-1 recorder edit list from the command line,
// with the same engine and the same steps as the EDL maker window's load and save.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "common/command_line.h"
#include "core/edl/recorder_edl.h"
#include "lxedl_options.h"

namespace {

// Shows nothing and never waits; the engine's log lines go to standard error when asked.
class QuietView : public vemo::core::RecorderView {
  public:
    explicit QuietView(bool verbose) : verbose_(verbose) {}
    void wait(int) override {}
    void log(const std::string& line) override {
        if (verbose_)
            std::fprintf(stderr, "%s\n", line.c_str());
    }

  private:
    bool verbose_;
};

void complain(const std::string& text) {
    std::fprintf(stderr, "vemo-lxedl: %s\n", text.c_str());
}

std::error_code writeStdout(const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(STDOUT_FILENO, data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return {errno, std::generic_category()};
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return {};
}

// Exit codes: 0 done, 1 a file problem, 2 bad options, 3 done but source events were left
// out (a batch must notice).
constexpr int ExitLeftOut = 3;

int convert(const vemo::lxedl::Options& options, vemo::core::FrameRate rate) {
    QuietView view(options.verbose);
    vemo::core::RecorderEDL edl(&view);
    edl.initialize = options.initialize;
    edl.finalize = options.finalize;
    edl.onetitle = options.onetitle;
    edl.autochapter = options.autochapter;
    edl.verbose = options.verbose;
    edl.skipAudioOnly = options.skipAudioOnly;
    edl.skipZeroLength = options.skipZeroLength;
    edl.reelChanges = options.reelChanges;
    edl.rate = rate;

    // As "Load Source EDL": read, then convert from the first line.
    if (!edl.parseedl("", options.input)) {
        bool missing = edl.ioerror == std::errc::no_such_file_or_directory;
        complain(options.input + ": " +
                 (missing ? std::string(vemo::core::RecorderEDL::NotFoundText)
                          : std::string(vemo::core::RecorderEDL::ReadLogText) + " (" +
                                edl.ioerror.message() + ")"));
        return 1;
    }
    edl.rawline = 0;
    edl.autoedl();
    // What the window shows of the events it left out.
    for (const std::string& line : edl.leftOutReport())
        complain(options.input + ": " + line);
    const int done = edl.omissions.any() ? ExitLeftOut : 0;

    // As "Save LX-1 EDL"; standard output gets the very bytes the file would hold.
    if (options.output == "-") {
        edl.saveedl("", "");
        if (auto ec = writeStdout(edl.edltext(true))) {
            complain("standard output: " + ec.message());
            return 1;
        }
        return done;
    }
    if (!edl.saveedl("", options.output)) {
        if (edl.sameAsSource) {
            complain(options.output + ": will not replace the source EDL with the recorder list");
        } else {
            complain(options.output + ": cannot write the recorder EDL (" + edl.ioerror.message() +
                     ")");
        }
        return 1;
    }
    return done;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    vemo::lxedl::Options options;
    std::string error;
    if (!vemo::lxedl::parseOptions(args, options, error)) {
        complain(error);
        std::fputs(vemo::lxedl::UsageText, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(vemo::lxedl::UsageText, stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(vemo::tools::versionText("vemo-lxedl").c_str(), stdout);
        return 0;
    }
    auto rate = vemo::core::parseFrameRate(options.fps);
    if (!rate) {
        complain("unknown frame rate '" + options.fps + "' (30, 25 or 29.97DF)");
        std::fputs(vemo::lxedl::UsageText, stderr);
        return 2;
    }
    return convert(options, *rate);
}
