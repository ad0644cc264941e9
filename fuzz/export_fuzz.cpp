// The capture sidecar reader on arbitrary bytes, and the exporter on arbitrary names: a
// sidecar is read or refused with a reason, and every OpenTimelineIO export is JSON that
// gives back each clip's name as written.
//
// Input: the first byte picks the frame rate; the rest is a sidecar's text, and also the
// names of a logger table (split at line ends).
#include <cstdint>
#include <string>

#include "core/edl/logger_timecode.h"
#include "core/export/capture_sidecar.h"
#include "core/export/export_format.h"
#include "core/export/json_reader.h"
#include "support/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace ex = vemo::core::exporter;
    using vemo::core::FrameRate;
    vemo::fuzz::FuzzInput in(data, size);
    const FrameRate rates[] = {FrameRate::Fps30, FrameRate::Fps25, FrameRate::Df2997};
    const FrameRate rate = rates[in.byte() % 3];
    const std::string text(in.rest());

    std::string error;
    if (!ex::parseSidecar(text, error))
        FUZZ_CHECK(!error.empty());

    vemo::core::LoggerTable table;
    std::size_t from = 0;
    for (std::size_t i = 0; i < vemo::core::LoggerTable::NumEntries && from <= text.size(); ++i) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        table.ClipNameArray[i] = text.substr(from, end - from);
        table.SrcInArray[i] =
            vemo::core::loggertc::timeText(static_cast<std::int64_t>(i) * 97, ":", rate);
        table.SrcOutArray[i] =
            vemo::core::loggertc::timeText(static_cast<std::int64_t>(i) * 97 + 5, ":", rate);
        from = end + 1;
    }
    const ex::ExportList list = ex::listFromTable(table, 100, rate, text.substr(0, 40));
    FUZZ_CHECK(list.clips.size() + list.leftOut.size() == 100);
    std::optional<ex::JsonValue> doc = ex::parseJson(ex::renderOtio(list).bytes, error);
    FUZZ_CHECK(doc.has_value());
    const ex::JsonValue* tracks = doc->find("tracks");
    FUZZ_CHECK(tracks != nullptr);
    const ex::JsonValue& clips = *tracks->find("children")->items.at(0).find("children");
    FUZZ_CHECK(clips.items.size() == list.clips.size());
    for (std::size_t i = 0; i < list.clips.size(); ++i)
        FUZZ_CHECK(clips.items[i].find("name")->text == list.clips[i].name);
    (void)ex::renderAle(list);
    (void)ex::renderCsv(list);
    return 0;
}
