#include "bench_deck.h"

#include <algorithm>

#include "deck/protocol.h"
#include "deck/timecode.h"

namespace vemo::screenshots {
namespace {

serial::ExchangeResult reply(std::initializer_list<std::uint8_t> bytes) {
    serial::ExchangeResult r;
    std::copy(bytes.begin(), bytes.end(), r.bytes.begin());
    r.bytes[bytes.size()] = deck::protocol::checksum(r.bytes.data(), bytes.size());
    r.count = static_cast<int>(bytes.size()) + 1;
    return r;
}

}  // namespace

int BenchDeck::position() {
    const Clock::time_point now = Clock::now();
    if (playing_) {
        const double seconds = std::chrono::duration<double>(now - last_).count();
        frames_ += seconds * deck::TimeCode::kFramesPerSecond * pace_;
    }
    last_ = now;
    return static_cast<int>(frames_);
}

serial::ExchangeResult BenchDeck::SendSerial(const std::uint8_t* frame, std::size_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int at = position();
    if (size < 2)
        return {};
    const std::uint8_t c1 = frame[0];
    const std::uint8_t c2 = frame[1];
    if (c1 == 0x61 && c2 == 0x0C) {
        const auto bcd = deck::TimeCode::fromFrameCount(at).toBCD();
        return reply({0x74, 0x04, bcd[0], bcd[1], bcd[2], bcd[3]});
    }
    if (c1 == 0x61 && c2 == 0x20) {
        const std::uint8_t transport = playing_ ? 0x01 : 0x20;
        return reply({0x79, 0x20, 0x00, transport, static_cast<std::uint8_t>(cued_ ? 0x01 : 0x00),
                      0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    }
    if (c1 == 0x20 && c2 == 0x01) {
        playing_ = true;
        cued_ = false;
    } else if ((c1 == 0x20 && c2 == 0x00) || (c1 == 0x21 && c2 == 0x13)) {
        playing_ = false;
    } else if (c1 == 0x24 && c2 == 0x31 && size >= 6) {
        frames_ = deck::TimeCode::fromBCD(frame[2], frame[3], frame[4], frame[5]).frameCount();
        playing_ = false;
        cued_ = true;
    }
    return reply({0x10, 0x01});
}

}  // namespace vemo::screenshots
