#include "core/utils.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace vemo::core {
namespace {
std::mutex& logMutex() {
    static std::mutex m;
    return m;
}
std::atomic<bool> debugOn{false};
std::atomic<Utils::Clock> logClock{nullptr};

constexpr auto kFirstSummary = std::chrono::minutes(1);
constexpr auto kLongestSummary = std::chrono::hours(1);

// The run of identical lines under way; guarded by logMutex().
struct Repeats;
void tellRepeats(Repeats& r);

struct Repeats {
    // The program's end tells what is still pending (its threads are joined by then).
    ~Repeats() { tellRepeats(*this); }

    std::vector<std::string> last;  // the line, or the group of lines, written last
    bool any = false;               // a line has been written since the last endRepeats
    long count = 0;                 // repeats not yet told
    std::chrono::steady_clock::time_point nextSummary;
    std::chrono::steady_clock::duration interval = kFirstSummary;
};
Repeats& repeats() {
    static Repeats r;
    return r;
}

std::chrono::steady_clock::time_point logNow() {
    Utils::Clock clock = logClock.load();
    return clock != nullptr ? clock() : std::chrono::steady_clock::now();
}

// Writes all bytes straight to the descriptor, so a line is in the file before we return.
void writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void writeLine(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 1);
    line.append(text);
    line.push_back('\n');
    std::fflush(stdout);  // keep order with anything printed through stdio
    writeAll(STDOUT_FILENO, line.data(), line.size());
}

void tellRepeats(Repeats& r) {
    if (r.count > 0 && r.last.size() > 1) {
        writeLine("last " + std::to_string(r.last.size()) + " lines repeated " +
                  std::to_string(r.count) + " times");
    } else if (r.count > 0) {
        writeLine("last line repeated " + std::to_string(r.count) + " times");
    }
    r.count = 0;
}

bool sameAsLast(const Repeats& r, const std::vector<std::string_view>& lines) {
    return r.any && std::equal(lines.begin(), lines.end(), r.last.begin(), r.last.end());
}

// Blank lines only separate the log's sections ("" or " "), and are written as they come.
bool blank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

void outGroup(const std::vector<std::string_view>& lines) {
    std::lock_guard<std::mutex> lock(logMutex());
    Repeats& r = repeats();
    const auto now = logNow();
    if (sameAsLast(r, lines) && !std::all_of(lines.begin(), lines.end(), blank)) {
        ++r.count;
        if (now >= r.nextSummary) {
            tellRepeats(r);
            r.interval =
                std::min<std::chrono::steady_clock::duration>(r.interval * 2, kLongestSummary);
            r.nextSummary = now + r.interval;
        }
        return;
    }
    tellRepeats(r);
    for (std::string_view line : lines)
        writeLine(line);
    r.last.assign(lines.begin(), lines.end());
    r.any = true;
    r.interval = kFirstSummary;
    r.nextSummary = now + r.interval;
}

}  // namespace

void Utils::OutLine(std::string_view text) {
    outGroup({text});
}

void Utils::OutLines(std::initializer_list<std::string_view> lines) {
    outGroup(std::vector<std::string_view>(lines));
}

void Utils::endRepeats() {
    std::lock_guard<std::mutex> lock(logMutex());
    tellRepeats(repeats());
    repeats().any = false;
}

void Utils::setLogClock(Clock clock) {
    logClock.store(clock);
}

void Utils::Debug(std::string_view text) {
    if (debugOn.load())
        OutLine(text);
}
void Utils::setDebug(bool on) {
    debugOn.store(on);
}
bool Utils::getDebug() {
    return debugOn.load();
}

void Utils::DelayT(int milliseconds) {
    if (milliseconds <= 0)
        return;
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string Utils::BS2S(const std::uint8_t* bytes, std::size_t size, int count) {
    std::string out;
    if (count <= 0 || bytes == nullptr)
        return out;
    std::size_t n = std::min(size, static_cast<std::size_t>(count));
    out.reserve(n * 3);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(hexchar[(bytes[i] & himask) >> 4]);
        out.push_back(hexchar[bytes[i] & lomask]);
        out.push_back(' ');
    }
    return out;
}

std::string Utils::BS2S(const std::vector<std::uint8_t>& bytes, int count) {
    return BS2S(bytes.data(), bytes.size(), count);
}

int Utils::C2B(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

std::uint8_t Utils::ASCIIHEX2BYTE(std::uint8_t b) {
    return static_cast<std::uint8_t>(C2B(static_cast<char>(b)));
}

std::uint8_t Utils::BYTE2ASCIIHEX(std::uint8_t b) {
    auto s = static_cast<std::int8_t>(b);
    return static_cast<std::uint8_t>(s <= 9 ? b + 48 : b + 55);
}

std::vector<std::uint8_t> Utils::S2BS(std::string_view text) {
    std::vector<std::uint8_t> out(text.size() / 2, 0);
    for (std::size_t i = 0; i + 1 < text.size() && i < 30; i += 2) {
        out[i / 2] = static_cast<std::uint8_t>(C2B(text[i]) * 16 + C2B(text[i + 1]));
    }
    return out;
}

}  // namespace vemo::core
