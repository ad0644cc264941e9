// The transport commands: play, goto, jog, shuttle and the play range.
#include "recorder/session.h"

namespace vemo::recorder {
namespace {

// The widest speed a controller may ask for, in percent of play.
constexpr int kMaxSpeed = 5000;

}  // namespace

std::optional<int> Session::currentClip(const std::vector<LoggedClip>& clips) const {
    if (lastClip_ && *lastClip_ <= static_cast<int>(clips.size()))
        return lastClip_;
    const Snapshot s = takeSnapshot(deck_, clips);
    return s.clipId;
}

std::pair<int, int> Session::targetOf(std::string_view text) const {
    int sign = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        sign = text[0] == '+' ? 1 : -1;
        text.remove_prefix(1);
    }
    const core::FrameRate rate = deck_.frameRate();
    auto frames = parseTimecode(text, rate);
    if (!frames)
        return {0, 102};
    const int target = sign == 0 ? *frames : deck_.state().frames + sign * *frames;
    if (target < 0 || target >= framesPerDay(rate))
        return {0, 109};
    return {target, 0};
}

Session::Outcome Session::cueTo(int frames) {
    singleClip_ = false;
    return {reply(deck_.cueTo(frames) ? 200 : 150)};
}

Session::Outcome Session::play(const Command& c) {
    int speed = 100;
    bool single = false;
    for (const auto& [key, value] : c.params) {
        if (key == "speed") {
            auto n = parseNumber(value);
            if (!n || *n < -kMaxSpeed || *n > kMaxSpeed)
                return {reply(102)};
            speed = *n;
        } else if (key == "single clip" || key == "loop") {
            auto on = parseFlag(value);
            if (!on)
                return {reply(102)};
            // A tape has no loop; single clip is a review of the clip.
            if (key == "loop" && *on)
                return {reply(103)};
            if (key == "single clip")
                single = *on;
        } else {
            return {reply(101)};
        }
    }
    if (single) {
        if (speed != 100)
            return {reply(103)};
        const std::vector<LoggedClip> clips = clips_.clips();
        if (clips.empty())
            return {reply(107)};
        auto id = currentClip(clips);
        if (!id)
            return {reply(150)};
        const LoggedClip& clip = clips[static_cast<std::size_t>(*id - 1)];
        singleClip_ = true;
        return {reply(deck_.playRange(clip.in, clip.out) ? 200 : 150)};
    }
    singleClip_ = false;
    if (range_ && speed == 100) {
        // From where the deck stands when that is inside the range, else from its in point.
        const int at = deck_.state().frames;
        const int from = at >= range_->first && at < range_->second ? at : range_->first;
        return {reply(deck_.playRange(from, range_->second) ? 200 : 150)};
    }
    if (speed == 100) {
        deck_.play();
    } else if (speed == 0) {
        deck_.stop();
    } else if (!deck_.variableSpeed()) {
        return {reply(103)};
    } else {
        deck_.shuttle(speed);
    }
    return {reply(200)};
}

Session::Outcome Session::goTo(const Command& c) {
    if (c.params.empty())
        return {reply(100)};
    if (c.params.size() != 1)
        return {reply(101)};
    const auto& [key, value] = c.params.front();
    if (key == "timecode") {
        auto [frames, error] = targetOf(value);
        if (error != 0)
            return {reply(error)};
        lastClip_.reset();
        return cueTo(frames);
    }
    if (key != "clip id" && key != "clip" && key != "timeline")
        return {reply(101)};
    const std::vector<LoggedClip> clips = clips_.clips();
    const int count = static_cast<int>(clips.size());
    if (key == "timeline" && value == "start") {
        lastClip_.reset();
        return cueTo(clips.empty() ? 0 : clips.front().in);
    }
    if ((key == "timeline" && value != "end") ||
        (key == "clip" && value != "start" && value != "end"))
        return {reply(102)};
    if (clips.empty())
        return {reply(107)};
    if (key == "timeline") {
        lastClip_.reset();
        return cueTo(clips.back().out - 1);
    }
    int id = 0;
    if (key == "clip") {
        auto current = currentClip(clips);
        if (!current)
            return {reply(150)};
        id = *current;
    } else {
        auto n = parseNumber(value);
        if (!n)
            return {reply(102)};
        const bool relative = value[0] == '+' || value[0] == '-';
        id = relative ? currentClip(clips).value_or(0) + *n : *n;
        if (id < 1 || id > count)
            return {reply(109)};
    }
    const LoggedClip& clip = clips[static_cast<std::size_t>(id - 1)];
    Outcome out = cueTo(key == "clip" && value == "end" ? clip.out - 1 : clip.in);
    lastClip_ = id;
    return out;
}

Session::Outcome Session::jog(const Command& c) {
    if (c.params.size() != 1 || c.params.front().first != "timecode")
        return {reply(c.params.empty() ? 100 : 101)};
    auto [frames, error] = targetOf(c.params.front().second);
    if (error != 0)
        return {reply(error)};
    lastClip_.reset();
    return cueTo(frames);
}

Session::Outcome Session::shuttle(const Command& c) {
    if (c.params.size() != 1 || c.params.front().first != "speed")
        return {reply(c.params.empty() ? 100 : 101)};
    auto speed = parseNumber(c.params.front().second);
    if (!speed || *speed < -kMaxSpeed || *speed > kMaxSpeed)
        return {reply(102)};
    if (!deck_.variableSpeed())
        return {reply(103)};
    singleClip_ = false;
    if (*speed == 0)
        deck_.stop();
    else if (*speed == 100)
        deck_.play();
    else
        deck_.shuttle(*speed);
    return {reply(200)};
}

Session::Outcome Session::playrange(const Command& c, bool set) {
    if (!set) {
        range_.reset();
        return {reply(200)};
    }
    auto in = c.param("in");
    auto out = c.param("out");
    auto clipId = c.param("clip id");
    for (const auto& [key, value] : c.params) {
        if (key != "in" && key != "out" && key != "clip id")
            return {reply(101)};
    }
    if (clipId && !in && !out) {
        const std::vector<LoggedClip> clips = clips_.clips();
        if (clips.empty())
            return {reply(107)};
        auto id = parseNumber(*clipId);
        if (!id)
            return {reply(102)};
        if (*id < 1 || *id > static_cast<int>(clips.size()))
            return {reply(109)};
        const LoggedClip& clip = clips[static_cast<std::size_t>(*id - 1)];
        range_ = std::make_pair(clip.in, clip.out);
        return {reply(200)};
    }
    if (!in || !out || clipId)
        return {reply(101)};
    auto a = parseTimecode(*in, deck_.frameRate());
    auto b = parseTimecode(*out, deck_.frameRate());
    if (!a || !b || *b <= *a)
        return {reply(102)};
    range_ = std::make_pair(*a, *b);
    return {reply(200)};
}

}  // namespace vemo::recorder
