// vemo-export: a logged clip list or a batch capture out as ALE, OpenTimelineIO or CSV, with
// the same exporter as the logger window's "Export…".

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "common/command_line.h"
#include "core/edl/logger_edl.h"
#include "core/export/capture_sidecar.h"
#include "core/export/export_format.h"
#include "core/file_io.h"
#include "export_options.h"

namespace {
namespace ex = vemo::core::exporter;
namespace fs = std::filesystem;

void complain(const std::string& text) {
    std::fprintf(stderr, "vemo-export: %s\n", text.c_str());
}

std::error_code writeAll(int fd, const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, data, left);
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

// Exit codes: 0 done, 1 a file problem, 2 bad options, 3 done but entries were left out.
constexpr int ExitLeftOut = 3;

bool isCapture(const std::string& input) {
    std::error_code ec;
    return fs::is_directory(input, ec) || fs::path(input).extension() == ".json";
}

// The list as the logger's reader takes it. Its log lines go to standard output, which the
// caller has put aside.
bool loadLoggerList(const std::string& input, vemo::core::FrameRate rate, ex::ExportList& list) {
    vemo::core::LoggerEDL edl;
    edl.setFrameRate(rate);
    vemo::core::LoggerLoadResult result = edl.LoadEDL(input);
    if (!result.ok) {
        complain(input + ": " + result.failure);
        return false;
    }
    if (result.count == vemo::core::LoggerTable::NumEntries)
        complain(input + ": the logger reads at most 100 events: any past them are not exported");
    for (const std::string& note : {result.statusMessage, result.rateWarning}) {
        if (!note.empty())
            complain(input + ": " + note);
    }
    list = ex::listFromTable(edl.table, result.count, rate, fs::path(input).stem().string());
    return true;
}

int run(const vemo::exporttool::Options& options, vemo::core::FrameRate rate,
        ex::ExportFormat format, int out) {
    ex::ExportList list;
    if (isCapture(options.input)) {
        std::string error;
        if (!ex::listFromCaptures(options.input, rate, list, error)) {
            complain(options.input + ": " + error);
            return 1;
        }
        list.title = fs::path(options.input).lexically_normal().filename().string();
        if (list.title.empty())
            list.title =
                fs::path(options.input).lexically_normal().parent_path().filename().string();
    } else if (!loadLoggerList(options.input, rate, list)) {
        return 1;
    }
    for (const std::string& line : list.leftOut)
        complain(options.input + ": left out " + line);
    if (list.clips.empty() && list.leftOut.empty()) {
        complain(options.input + ": no clips to export");
        return 1;
    }
    const ex::Rendered rendered = ex::render(list, format);
    if (rendered.namesCut > 0 || !list.leftOut.empty())
        complain(ex::exportSummary(list, rendered, format, 0));
    const int done = list.leftOut.empty() ? 0 : ExitLeftOut;
    if (options.output == "-") {
        if (auto ec = writeAll(out, rendered.bytes)) {
            complain("standard output: " + ec.message());
            return 1;
        }
        return done;
    }
    if (auto w = vemo::core::writeFileAtomically(options.output, rendered.bytes)) {
        complain(options.output + ": cannot write the export (" + w.error.message() + ")");
        return 1;
    }
    return done;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    vemo::exporttool::Options options;
    std::string error;
    if (!vemo::exporttool::parseOptions(args, options, error)) {
        complain(error);
        std::fputs(vemo::exporttool::UsageText, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(vemo::exporttool::UsageText, stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(vemo::tools::versionText("vemo-export").c_str(), stdout);
        return 0;
    }
    auto rate = vemo::core::parseFrameRate(options.fps);
    if (!rate) {
        complain("unknown frame rate '" + options.fps + "' (30, 25 or 29.97DF)");
        return 2;
    }
    auto format = options.format.empty() ? ex::formatOfPath(options.output)
                                         : ex::parseExportFormat(options.format);
    if (!format) {
        complain(options.format.empty()
                     ? "no format: give --format ale, otio or csv, or end OUTPUT in one of them"
                     : "unknown format '" + options.format + "' (ale, otio or csv)");
        return 2;
    }
    // The logger's reader writes its log lines on standard output: they go nowhere, and the
    // export keeps the real standard output for itself.
    std::fflush(stdout);
    const int out = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (out < 0 || null < 0 || ::dup2(null, STDOUT_FILENO) < 0) {
        complain(std::string("standard output: ") + std::strerror(errno));
        return 1;
    }
    ::close(null);
    const int code = run(options, *rate, *format, out);
    ::close(out);
    return code;
}
