#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace vemo::decksim {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// Low 8 bits of the sum of the bytes: the checksum that ends every frame.
std::uint8_t checksum(const Bytes& bytes, std::size_t count);
// Appends the checksum of everything before it.
Bytes withChecksum(Bytes bytes);

// NAK error bits of the 9-pin line.
inline constexpr std::uint8_t kNakUndefined = 0x01;
inline constexpr std::uint8_t kNakChecksum = 0x04;
inline constexpr std::uint8_t kNakTimeout = 0x80;

Bytes ackReply();                        // 10 01 11
Bytes nakReply(std::uint8_t errorBits);  // 11 12 <bits> <cs>

// Cuts the received byte stream into frames. Command byte 1 carries the data count N in its
// low nibble, so a frame is N + 3 bytes. Framing recovers from line noise the way decks do:
// a frame left incomplete for more than the inter-byte time-out is thrown away, and a frame
// with a wrong checksum is thrown away whole.
// A 00 byte where a frame should begin is dropped silently: the console sends its shuttle
// frames with one trailing 00 byte, and it sends no system-group (00) commands.
class FrameParser {
  public:
    enum class Kind { frame, badChecksum, timedOut };
    struct Event {
        Kind kind;
        Bytes bytes;
        Clock::time_point at;  // arrival of the last byte
    };

    static constexpr std::chrono::milliseconds kInterByteTimeout{5};

    void push(const std::uint8_t* data, std::size_t size, Clock::time_point now,
              std::vector<Event>& out);
    // Gives up a frame whose next byte is overdue.
    void expire(Clock::time_point now, std::vector<Event>& out);
    // When expire() has something to do, if bytes of a frame are waiting.
    std::optional<Clock::time_point> deadline() const;
    std::size_t fillersDropped() const { return fillers_; }

  private:
    Bytes pending_;
    Clock::time_point lastByte_{};
    std::size_t fillers_ = 0;
};

}  // namespace vemo::decksim
