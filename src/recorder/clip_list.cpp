#include "recorder/clip_list.h"

#include "recorder/message.h"

namespace vemo::recorder {

void SharedClipList::set(const std::vector<LoggedClip>& clips) {
    std::vector<LoggedClip> kept;
    for (const LoggedClip& c : clips) {
        if (!c.name.empty() && c.in >= 0 && c.out > c.in)
            kept.push_back(c);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    clips_ = std::move(kept);
}

std::vector<LoggedClip> SharedClipList::clips() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return clips_;
}

std::vector<LoggedClip> clipsOfTable(const core::LoggerTable& table, core::FrameRate rate) {
    std::vector<LoggedClip> clips;
    for (int i = 0; i < core::LoggerTable::NumEntries; ++i) {
        const auto at = static_cast<std::size_t>(i);
        auto in = parseTimecode(table.SrcInArray[at], rate);
        auto out = parseTimecode(table.SrcOutArray[at], rate);
        if (!table.ClipNameArray[at].empty() && in && out && *out > *in)
            clips.push_back({table.ClipNameArray[at], *in, *out});
    }
    return clips;
}

}  // namespace vemo::recorder
