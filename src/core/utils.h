#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vemo::core {

// Class-wide helpers every layer uses: the one way to write a log line, the millisecond
// sleep, and the byte/hex conversions used to dump serial traffic into the log.
class Utils {
  public:
    static constexpr char hexchar[] = "0123456789ABCDEF";
    static constexpr int lomask = 0x0F;
    static constexpr int himask = 0xF0;

    // Writes text and a line end to standard output (the log after start-up). Safe from any
    // thread: each call is one whole line, flushed at once. A line identical to the one
    // before (other than a blank separator line) is not written again: the repeats are counted and
    // told as "last line repeated N times" when another line comes, or while they go on, at most
    // once a minute (the interval doubling up to an hour, so that a fault lasting a day costs a few
    // dozen lines).
    static void OutLine(std::string_view text);
    // Writes the lines one after the other as one group: a group identical to the group (or
    // line) written before is counted like a repeated line ("last 2 lines repeated N times"),
    // so a pair of lines that keeps coming back together is bounded too.
    static void OutLines(std::initializer_list<std::string_view> lines);
    // Writes the pending repeat count, if any, and forgets the last line: the next line is
    // written whatever it is (log captures in tests start and end with it).
    static void endRepeats();
    // The clock the repeat summaries are timed by (tests set a fake one; null: the real one).
    using Clock = std::chrono::steady_clock::time_point (*)();
    static void setLogClock(Clock clock);
    // As OutLine, but only while debug is on (nothing turns it on).
    static void Debug(std::string_view text);
    static void setDebug(bool on);
    static bool getDebug();

    // Sleeps the calling thread; an interruption ends the sleep early without error. A wait
    // on the window thread goes through the display instead (see deck::DeckDisplay::waitHere),
    // so that the windows keep repainting.
    static void DelayT(int milliseconds);

    // Hex dump of the first count bytes ("20 0F FF "); never reads past the array.
    static std::string BS2S(const std::uint8_t* bytes, std::size_t size, int count);
    static std::string BS2S(const std::vector<std::uint8_t>& bytes, int count);
    // Pairs of hex digits to bytes; at most 15 bytes converted, an unpaired last char ignored.
    static std::vector<std::uint8_t> S2BS(std::string_view text);
    static int C2B(char c);
    static std::uint8_t ASCIIHEX2BYTE(std::uint8_t b);
    static std::uint8_t BYTE2ASCIIHEX(std::uint8_t b);
};

// Short aliases for the two operations used everywhere.
inline void OutLine(std::string_view text) {
    Utils::OutLine(text);
}
inline void DelayT(int milliseconds) {
    Utils::DelayT(milliseconds);
}

}  // namespace vemo::core
