// OpenTimelineIO's JSON: one timeline, one stack, one video track holding the clips in list
// order. Every object names its schema; times are rational (a frame count and the rate).
#include <cstdio>

#include "core/export/export_format.h"

namespace vemo::core::exporter {
namespace {
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out.push_back('\\');
            out.push_back(ch);
        } else if (ch == '\t' || ch == '\n' || ch == '\r') {
            out += ch == '\t' ? "\\t" : ch == '\n' ? "\\n" : "\\r";
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out.push_back(ch);
        }
    }
    return out + "\"";
}

// 29.97 is exactly 30000/1001 frames a second; drop-frame labels do not change the count.
std::string rateText(FrameRate rate) {
    switch (rate) {
        case FrameRate::Fps25:
            return "25.0";
        case FrameRate::Df2997:
            return "29.97002997002997";
        case FrameRate::Fps30:
            break;
    }
    return "30.0";
}

// Objects written as members "key": value, one per line, at an indent.
class Json {
  public:
    explicit Json(std::string& out) : out_(out) {}
    void open(const std::string& key, char bracket) {
        member(key);
        out_ += bracket;
        ++depth_;
        first_ = true;
    }
    void close(char bracket) {
        --depth_;
        // An empty object or list stays on its line: "{}".
        if (!first_)
            out_ += "\n" + std::string(static_cast<std::size_t>(depth_) * 4, ' ');
        out_ += bracket;
        first_ = false;
    }
    void value(const std::string& key, const std::string& raw) {
        member(key);
        out_ += raw;
    }
    void schema(const std::string& key, const char* name) {
        open(key, '{');
        value("OTIO_SCHEMA", quoted(name));
    }

  private:
    void member(const std::string& key) {
        if (depth_ > 0) {
            out_ += first_ ? "\n" : ",\n";
            out_ += std::string(static_cast<std::size_t>(depth_) * 4, ' ');
        }
        if (!key.empty())
            out_ += quoted(key) + ": ";
        first_ = false;
    }
    std::string& out_;
    int depth_ = 0;
    bool first_ = true;
};

void rationalTime(Json& j, const std::string& key, std::int64_t frames, FrameRate rate) {
    j.schema(key, "RationalTime.1");
    j.value("rate", rateText(rate));
    j.value("value", std::to_string(frames) + ".0");
    j.close('}');
}

void timeRange(Json& j, const std::string& key, std::int64_t start, std::int64_t duration,
               FrameRate rate) {
    j.schema(key, "TimeRange.1");
    rationalTime(j, "duration", duration, rate);
    rationalTime(j, "start_time", start, rate);
    j.close('}');
}

// The common members of every item: metadata first, filled by the caller.
void itemTail(Json& j) {
    j.open("effects", '[');
    j.close(']');
    j.open("markers", '[');
    j.close(']');
    j.value("enabled", "true");
}

void mediaReference(Json& j, const ExportClip& clip, FrameRate rate) {
    const bool external = clip.media && clip.media->captured() && !clip.media->file.empty();
    j.schema("DEFAULT_MEDIA", external ? "ExternalReference.1" : "MissingReference.1");
    j.open("metadata", '{');
    j.close('}');
    j.value("name", quoted(""));
    if (external && clip.media->hasRange()) {
        timeRange(j, "available_range", clip.media->start, clip.media->end - clip.media->start,
                  rate);
    } else {
        j.value("available_range", "null");
    }
    j.value("available_image_bounds", "null");
    if (external)
        j.value("target_url", quoted(fileUrl(clip.media->file)));
    j.close('}');
}

void clipObject(Json& j, const ExportClip& clip, FrameRate rate) {
    j.schema("", "Clip.2");
    j.open("metadata", '{');
    // The reel where the CMX 3600 adapter looks for it, and the console's own fields.
    j.open("cmx_3600", '{');
    j.value("reel", quoted(clip.reel));
    j.close('}');
    j.open("vemo", '{');
    j.value("edit_number", std::to_string(clip.number));
    j.value("reel", quoted(clip.reel));
    if (clip.media)
        j.value("outcome", quoted(clip.media->outcome));
    j.close('}');
    j.close('}');
    j.value("name", quoted(clip.name));
    timeRange(j, "source_range", clip.in, clip.duration(), rate);
    itemTail(j);
    j.open("media_references", '{');
    mediaReference(j, clip, rate);
    j.close('}');
    j.value("active_media_reference_key", quoted("DEFAULT_MEDIA"));
    j.close('}');
}
}  // namespace

Rendered renderOtio(const ExportList& list) {
    Rendered r;
    Json j(r.bytes);
    j.schema("", "Timeline.1");
    j.open("metadata", '{');
    j.close('}');
    j.value("name", quoted(toUtf8(list.title)));
    j.value("global_start_time", "null");
    j.schema("tracks", "Stack.1");
    j.open("metadata", '{');
    j.close('}');
    j.value("name", quoted("tracks"));
    j.value("source_range", "null");
    itemTail(j);
    j.open("children", '[');
    j.schema("", "Track.1");
    j.open("metadata", '{');
    j.close('}');
    j.value("name", quoted("V1"));
    j.value("source_range", "null");
    itemTail(j);
    j.open("children", '[');
    for (const ExportClip& clip : list.clips)
        clipObject(j, clip, list.rate);
    j.close(']');
    j.value("kind", quoted("Video"));
    j.close('}');
    j.close(']');
    j.close('}');
    j.close('}');
    r.bytes += "\n";
    return r;
}

}  // namespace vemo::core::exporter
