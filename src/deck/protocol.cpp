#include "deck/protocol.h"

namespace vemo::deck::protocol {

Frame<5> shuttleFrame(const Frame<5>& templ, int speed) {
    Frame<5> f = templ;
    f[2] = static_cast<Byte>(speed & 0xFF);
    f[3] = checksum(f.data(), 3);
    f[4] = 0x00;
    return f;
}

Frame<7> cueFrame(const TimeCode& tc) {
    Frame<7> f = bscue;
    auto b = tc.toBCD();
    for (std::size_t i = 0; i < b.size(); ++i)
        f[2 + i] = b[i];
    f[6] = checksum(f.data(), 6);
    return f;
}

std::optional<Frame<7>> cueFrame(std::string_view text) {
    auto tc = TimeCode::parse(text);
    if (!tc)
        return std::nullopt;
    return cueFrame(*tc);
}

std::optional<TimeCode> decodeTimeData(const Byte* r, int count) {
    if (r == nullptr || !isTimeData(r, count))
        return std::nullopt;
    // A units digit above 9, or minutes, seconds or frames past any real time, is no time
    // code: such a reply is as unusable as one whose checksum does not fit.
    for (int i = 2; i < 6; ++i) {
        if ((r[i] & 0x0F) > 9)
            return std::nullopt;
    }
    const TimeCode tc = TimeCode::fromBCD(r[2], r[3], r[4], r[5]);
    if (!tc.inRange())
        return std::nullopt;
    return tc;
}

}  // namespace vemo::deck::protocol
