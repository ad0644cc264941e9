#include "frame_parser.h"

namespace vemo::decksim {

std::uint8_t checksum(const Bytes& bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count && i < bytes.size(); ++i)
        sum += bytes[i];
    return static_cast<std::uint8_t>(sum & 0xFF);
}

Bytes withChecksum(Bytes bytes) {
    bytes.push_back(checksum(bytes, bytes.size()));
    return bytes;
}

Bytes ackReply() {
    return {0x10, 0x01, 0x11};
}

Bytes nakReply(std::uint8_t errorBits) {
    return withChecksum({0x11, 0x12, errorBits});
}

void FrameParser::push(const std::uint8_t* data, std::size_t size, Clock::time_point now,
                       std::vector<Event>& out) {
    if (size == 0)
        return;
    pending_.insert(pending_.end(), data, data + size);
    lastByte_ = now;
    std::size_t at = 0;
    while (at < pending_.size()) {
        if (pending_[at] == 0x00) {
            ++fillers_;
            ++at;
            continue;
        }
        std::size_t length = (pending_[at] & 0x0F) + 3u;
        if (pending_.size() - at < length)
            break;
        Bytes frame(pending_.begin() + static_cast<long>(at),
                    pending_.begin() + static_cast<long>(at + length));
        bool good = checksum(frame, length - 1) == frame[length - 1];
        out.push_back({good ? Kind::frame : Kind::badChecksum, std::move(frame), now});
        at += length;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(at));
}

void FrameParser::expire(Clock::time_point now, std::vector<Event>& out) {
    if (pending_.empty() || now - lastByte_ < kInterByteTimeout)
        return;
    out.push_back({Kind::timedOut, std::move(pending_), lastByte_});
    pending_.clear();
}

std::optional<Clock::time_point> FrameParser::deadline() const {
    if (pending_.empty())
        return std::nullopt;
    return lastByte_ + kInterByteTimeout;
}

}  // namespace vemo::decksim
