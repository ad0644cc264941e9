#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "deck/timecode.h"

// The deck's command frames: command byte 1 (group in the high nibble, data count in the
// low nibble), command byte 2, the data bytes and a checksum (low 8 bits of the sum of all
// bytes before it). Constant frames are immutable; frames with variable data are built as
// fresh copies so that threads sending at once never share a buffer.
namespace vemo::deck::protocol {

using Byte = std::uint8_t;
template <std::size_t N>
using Frame = std::array<Byte, N>;

constexpr Byte checksum(const Byte* bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += bytes[i];
    return static_cast<Byte>(sum & 0xFF);
}

// Number of data bytes a frame declares (low nibble of command byte 1).
constexpr std::size_t dataCount(Byte cmd1) {
    return cmd1 & 0x0F;
}

inline constexpr Frame<3> bsplay{0x20, 0x01, 0x21};
inline constexpr Frame<4> bspause{0x21, 0x13, 0x00, 0x34};
inline constexpr Frame<3> bsrecord{0x20, 0x02, 0x22};
inline constexpr Frame<3> bsstop{0x20, 0x00, 0x20};
inline constexpr Frame<3> bsforward{0x20, 0x10, 0x30};
inline constexpr Frame<3> bsrewind{0x20, 0x20, 0x40};
inline constexpr Frame<4> bsslowfifth{0x21, 0x12, 0x2D, 0x60};
inline constexpr Frame<4> bsslowthird{0x21, 0x12, 0x30, 0x63};
inline constexpr Frame<4> bsslowhalf{0x21, 0x12, 0x36, 0x69};
inline constexpr Frame<4> bsfasttwo{0x21, 0x13, 0x4A, 0x7E};
inline constexpr Frame<4> bsfastfive{0x21, 0x13, 0x82, 0xB6};
inline constexpr Frame<4> bsjogf{0x21, 0x11, 0x10, 0x42};
inline constexpr Frame<4> bsjogr{0x21, 0x21, 0x10, 0x52};
inline constexpr Frame<3> bssbyon{0x20, 0x05, 0x25};
inline constexpr Frame<3> bssbyoff{0x20, 0x04, 0x24};
inline constexpr Frame<3> bseeon{0x20, 0x61, 0x81};
inline constexpr Frame<3> bseeoff{0x20, 0x60, 0x80};
// Shuttle templates: speed and checksum are filled at send time; the trailing 00 goes on the
// wire too, so a shuttle frame is five bytes long.
inline constexpr Frame<5> bsshutfwd{0x21, 0x13, 0x20, 0x00, 0x00};
inline constexpr Frame<5> bsshutrev{0x21, 0x23, 0x20, 0x00, 0x00};
// Cue-up-with-data: frames, seconds, minutes, hours in BCD. The initial contents.
inline constexpr Frame<7> bscue{0x24, 0x31, 0x00, 0x01, 0x01, 0x00, 0x57};
inline constexpr Frame<4> bsstatus{0x61, 0x20, 0x09, 0x8A};
inline constexpr Frame<4> bsgettc{0x61, 0x0C, 0x03, 0x70};
inline constexpr Frame<4> bssettimemode{0x41, 0x36, 0x00, 0x77};

// Shuttle at the given speed (low 8 bits), forward or reverse: 21 13|23 ss cs 00.
Frame<5> shuttleFrame(const Frame<5>& templ, int speed);
inline Frame<5> shutfwdFrame(int speed) {
    return shuttleFrame(bsshutfwd, speed);
}
inline Frame<5> shutrevFrame(int speed) {
    return shuttleFrame(bsshutrev, speed);
}

// Cue frame for a time code / a time-code text (nothing when the text is not a time code).
Frame<7> cueFrame(const TimeCode& tc);
std::optional<Frame<7>> cueFrame(std::string_view text);

// The replies the console understands. A reply counts only when it is whole and correct:
// the header of what was asked, the length its first byte declares and a matching checksum.
// Anything else (a corrupted, cut or stray reply) counts as no reply at all.
inline constexpr Byte kTimeData = 0x74;
inline constexpr Byte kStatusData = 0x79;
inline constexpr Byte kAck = 0x10;
inline constexpr Byte kNak = 0x11;

// Header, declared length and checksum of a reply of count bytes.
constexpr bool isWholeReply(const Byte* r, int count) {
    if (r == nullptr || count < 3)
        return false;
    const auto n = static_cast<int>(dataCount(r[0]));
    return count == n + 3 && r[n + 2] == checksum(r, static_cast<std::size_t>(n + 2));
}
// 74 04 / 74 06 (LTC or VITC time: what the time sense 61 0C 03 asks for) ff ss mm hh cs.
constexpr bool isTimeData(const Byte* r, int count) {
    return count == 7 && r[0] == kTimeData && (r[1] == 0x04 || r[1] == 0x06) &&
           isWholeReply(r, count);
}
// 79 20 and the nine status bytes the status sense 61 20 09 asks for, then the checksum.
constexpr bool isStatusData(const Byte* r, int count) {
    return count == 12 && r[0] == kStatusData && r[1] == 0x20 && isWholeReply(r, count);
}
// 10 01 11: the deck took the command.
constexpr bool isAck(const Byte* r, int count) {
    return count == 3 && r[0] == kAck && r[1] == 0x01 && isWholeReply(r, count);
}
// 11 12 xx cs: the deck refused the command (xx says why).
constexpr bool isNak(const Byte* r, int count) {
    return count == 4 && r[0] == kNak && r[1] == 0x12 && isWholeReply(r, count);
}
// A reply that came after its exchange's pause is taken by the next exchange, ahead of that
// exchange's own: when the bytes are whole replies back to back, the offset of the last one
// (the frame's own); nothing otherwise.
constexpr std::optional<int> lastOfWholeReplies(const Byte* r, int count) {
    std::optional<int> last;
    int at = 0;
    while (r != nullptr && at < count) {
        if (count - at < 3)
            return std::nullopt;
        const int n = static_cast<int>(dataCount(r[at])) + 3;
        if (at + n > count || !isWholeReply(r + at, n))
            return std::nullopt;
        last = at;
        at += n;
    }
    return last;
}
// Time code of a time data reply: frames r[2], seconds r[3], minutes r[4], hours r[5].
// Nothing when its digits name no time (a digit above 9, seconds 60, frames 30, ...).
std::optional<TimeCode> decodeTimeData(const Byte* r, int count);

}  // namespace vemo::deck::protocol
