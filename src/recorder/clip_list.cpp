#include "recorder/clip_list.h"

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

}  // namespace vemo::recorder
