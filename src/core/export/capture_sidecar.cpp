#include "core/export/capture_sidecar.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include "core/edl/logger_timecode.h"
#include "core/export/json_reader.h"
#include "core/unique_fd.h"

namespace vemo::core::exporter {
namespace fs = std::filesystem;
namespace {
std::string errnoText(int err) {
    return std::error_code(err, std::generic_category()).message();
}

// Non-blocking open and a regular-file check: a FIFO or device named by mistake cannot hang.
bool readSmallFile(const fs::path& path, std::string& bytes, std::string& error) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
        error = errnoText(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > MaxSidecarBytes) {
        error = "larger than " + std::to_string(MaxSidecarBytes) + " bytes";
        return false;
    }
    char buf[65536];
    for (ssize_t n; (n = ::read(fd.get(), buf, sizeof buf)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || bytes.size() + static_cast<std::size_t>(n) > MaxSidecarBytes) {
            error = n < 0 ? errnoText(errno) : "grew while being read";
            return false;
        }
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    return true;
}

std::int64_t framesOr(const std::string& text, FrameRate rate) {
    return loggertc::isValidTimeText(text, rate) ? loggertc::frameCount(text, rate) : -1;
}
}  // namespace

std::optional<CaptureSidecar> parseSidecar(std::string_view bytes, std::string& error) {
    std::optional<JsonValue> doc = parseJson(bytes, error, 1);
    if (!doc)
        return std::nullopt;
    if (doc->kind != JsonValue::Kind::Object) {
        error = "not a JSON object";
        return std::nullopt;
    }
    CaptureSidecar s;
    const std::pair<const char*, std::string*> texts[] = {{"clip", &s.clip},
                                                          {"reel", &s.reel},
                                                          {"requested_start", &s.requestedStart},
                                                          {"requested_end", &s.requestedEnd},
                                                          {"started_at", &s.startedAt},
                                                          {"stopped_at", &s.stoppedAt},
                                                          {"wall_start", &s.wallStart},
                                                          {"outcome", &s.outcome}};
    for (const auto& [key, to] : texts) {
        const JsonValue* v = doc->find(key);
        if (v == nullptr || v->kind == JsonValue::Kind::Null)
            continue;
        if (v->kind != JsonValue::Kind::String) {
            error = std::string("\"") + key + "\" is not a text";
            return std::nullopt;
        }
        *to = v->text;
    }
    if (s.outcome.empty()) {
        error = "no outcome";
        return std::nullopt;
    }
    return s;
}

std::optional<CaptureSidecar> readSidecar(const fs::path& path, std::string& error) {
    std::string bytes;
    if (!readSmallFile(path, bytes, error))
        return std::nullopt;
    std::optional<CaptureSidecar> s = parseSidecar(bytes, error);
    if (s) {
        fs::path file = path;
        s->file = fs::absolute(file.replace_extension()).lexically_normal().string();
    }
    return s;
}

bool listFromCaptures(const fs::path& folderOrSidecar, FrameRate rate, ExportList& list,
                      std::string& error) {
    list.rate = rate;
    std::vector<fs::path> paths;
    std::error_code ec;
    if (fs::is_directory(folderOrSidecar, ec)) {
        for (fs::directory_iterator it(folderOrSidecar, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (it->path().extension() == ".json")
                paths.push_back(it->path());
        }
        if (ec) {
            error = ec.message();
            return false;
        }
        std::sort(paths.begin(), paths.end());
    } else if (fs::exists(folderOrSidecar, ec)) {
        paths.push_back(folderOrSidecar);
    } else {
        error = std::make_error_code(std::errc::no_such_file_or_directory).message();
        return false;
    }
    std::vector<std::pair<CaptureSidecar, std::string>> read;  // with the sidecar's name
    for (const fs::path& path : paths) {
        std::string why;
        if (std::optional<CaptureSidecar> s = readSidecar(path, why))
            read.emplace_back(std::move(*s), path.filename().string());
        else
            list.leftOut.push_back(path.filename().string() + ": " + why);
    }
    std::stable_sort(read.begin(), read.end(), [](const auto& a, const auto& b) {
        return a.first.wallStart < b.first.wallStart;
    });
    int number = 0;
    for (const auto& [s, name] : read) {
        ++number;
        if (std::string why = entryProblem(s.clip, s.requestedStart, s.requestedEnd, rate);
            !why.empty()) {
            list.leftOut.push_back(name + ": " + why);
            continue;
        }
        ExportClip clip;
        clip.number = number;
        clip.name = toUtf8(s.clip);
        clip.reel = toUtf8(s.reel);
        clip.in = loggertc::frameCount(s.requestedStart, rate);
        clip.out = loggertc::frameCount(s.requestedEnd, rate);
        clip.media = CapturedMedia{toUtf8(s.file), toUtf8(s.outcome), framesOr(s.startedAt, rate),
                                   framesOr(s.stoppedAt, rate)};
        list.clips.push_back(std::move(clip));
    }
    return true;
}

}  // namespace vemo::core::exporter
