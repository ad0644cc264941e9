// The exporter: every format at every rate against golden files, and field by field against
// the logger's list it came from; a capture folder's sidecars; the JSON reader's strictness.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "core/edl/logger_timecode.h"
#include "core/export/capture_sidecar.h"
#include "core/export/export_format.h"
#include "core/export/json_reader.h"
#include "support/temp_dir.h"

namespace vemo::test {
namespace {
namespace ex = core::exporter;
using core::FrameRate;
using ex::ExportFormat;
using ex::JsonValue;

struct Case {
    FrameRate rate;
    ExportFormat format;
    const char* golden;
};
const Case Cases[] = {
    {FrameRate::Fps30, ExportFormat::Ale, "list_30.ale"},
    {FrameRate::Fps25, ExportFormat::Ale, "list_25.ale"},
    {FrameRate::Df2997, ExportFormat::Ale, "list_2997df.ale"},
    {FrameRate::Fps30, ExportFormat::Otio, "list_30.otio"},
    {FrameRate::Fps25, ExportFormat::Otio, "list_25.otio"},
    {FrameRate::Df2997, ExportFormat::Otio, "list_2997df.otio"},
    {FrameRate::Fps30, ExportFormat::Csv, "list_30.csv"},
    {FrameRate::Fps25, ExportFormat::Csv, "list_25.csv"},
    {FrameRate::Df2997, ExportFormat::Csv, "list_2997df.csv"},
};

std::string tc(std::int64_t frames, FrameRate rate) {
    return core::loggertc::timeText(frames, std::string(1, core::frameSeparator(rate)), rate);
}

// A full logger table: plain clips, and among the first twelve the names and entries an
// export must handle (Latin-1 letters as the logger holds them).
core::LoggerTable loggedTable(FrameRate rate) {
    core::LoggerTable t;
    for (std::size_t i = 0; i < core::LoggerTable::NumEntries; ++i) {
        const std::int64_t in = 60000 + static_cast<std::int64_t>(i) * 1799;
        t.ClipNameArray[i] = "Clip " + std::to_string(i + 1);
        t.SrcInArray[i] = tc(in, rate);
        t.SrcOutArray[i] = tc(in + 30 + static_cast<std::int64_t>(i), rate);
    }
    t.ClipNameArray[1] = "Tab\there";
    t.ClipNameArray[2] = "Say \"cut\", then";
    t.ClipNameArray[3] = "Caf\xE9 Zo\xEB";
    t.ClipNameArray[4] = "";  // no name
    t.ClipNameArray[5] = "An interview in the garden, long take A";
    t.ClipNameArray[6] = "An interview in the garden, long take B";
    std::swap(t.SrcInArray[7], t.SrcOutArray[7]);        // out before in
    t.SrcInArray[8] = t.SrcOutArray[8] = "00:00:00:00";  // an empty entry
    t.SrcInArray[9] = "12:3x:00:00";
    return t;
}

const std::vector<int> LeftOut = {4, 7, 8, 9};  // entries (from 0) an export must leave out

std::string goldenPath(const char* name) {
    return std::string(VEMO_SOURCE_DIR) + "/tests/core/export_golden/" + name;
}

std::vector<std::string> split(const std::string& text, const std::string& by) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(by, from)) != std::string::npos; from = at + by.size())
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

// RFC 4180 rows, as a spreadsheet reads them.
std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            rows.back().back().push_back(text[i++]);
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            rows.back().emplace_back();
        else if (!quoted && c == '\r' && text.compare(i, 2, "\r\n") == 0 && ++i)
            rows.emplace_back(1);
        else
            rows.back().back().push_back(c);
    }
    rows.pop_back();  // after the last line end
    return rows;
}

const JsonValue& at(const JsonValue& v, const std::string& path) {
    const JsonValue* cur = &v;
    for (const std::string& key : split(path, ".")) {
        cur = cur->find(key);
        if (cur == nullptr)
            throw std::runtime_error("no " + path);
    }
    return *cur;
}

// Every object names its schema but metadata (free for any application) and the map of
// media references.
void expectSchemas(const JsonValue& v, const std::string& key = "") {
    if (key == "metadata")
        return;
    if (v.kind == JsonValue::Kind::Object && key != "media_references") {
        EXPECT_NE(v.find("OTIO_SCHEMA"), nullptr) << key;
    }
    for (const JsonValue& m : v.members)
        expectSchemas(m, m.key);
    for (const JsonValue& item : v.items)
        expectSchemas(item, key);
}

void expectTime(const JsonValue& t, std::int64_t frames, FrameRate rate) {
    EXPECT_EQ(at(t, "OTIO_SCHEMA").text, "RationalTime.1");
    EXPECT_DOUBLE_EQ(at(t, "rate").number, rate == FrameRate::Fps25   ? 25.0
                                           : rate == FrameRate::Fps30 ? 30.0
                                                                      : 30000.0 / 1001.0);
    EXPECT_EQ(at(t, "value").number, static_cast<double>(frames));
}

// What the logger holds of one exported entry, to check an output's row against.
struct Held {
    int number;
    std::string name;  // UTF-8
    std::int64_t in, out;
};

std::vector<Held> heldEntries(const core::LoggerTable& t, int count, FrameRate rate) {
    std::vector<Held> held;
    for (int i = 0; i < count; ++i) {
        if (std::find(LeftOut.begin(), LeftOut.end(), i) != LeftOut.end())
            continue;
        const auto e = static_cast<std::size_t>(i);
        held.push_back({i + 1, ex::toUtf8(t.ClipNameArray[e]),
                        core::loggertc::frameCount(t.SrcInArray[e], rate),
                        core::loggertc::frameCount(t.SrcOutArray[e], rate)});
    }
    return held;
}

void checkAle(const std::string& bytes, const std::vector<Held>& held, FrameRate rate) {
    const std::vector<std::string> lines = split(bytes, "\r\n");
    ASSERT_EQ(lines.size(), held.size() + 11);
    EXPECT_EQ(lines[0], "Heading");
    EXPECT_EQ(lines[1], "FIELD_DELIM\tTABS");
    EXPECT_EQ(lines[4], std::string("FPS\t") + (rate == FrameRate::Fps25   ? "25"
                                                : rate == FrameRate::Fps30 ? "30"
                                                                           : "29.97"));
    EXPECT_EQ(lines[7], "Name\tTracks\tStart\tEnd\tTape");
    EXPECT_EQ(lines[9], "Data");
    for (std::size_t i = 0; i < held.size(); ++i) {
        const std::vector<std::string> f = split(lines[10 + i], "\t");
        ASSERT_EQ(f.size(), 5u) << lines[10 + i];
        std::string name = held[i].name;
        std::replace(name.begin(), name.end(), '\t', ' ');
        if (name.size() > 32)  // cut, and "~2" for the second of two equal cuts
            EXPECT_TRUE(f[0] == name.substr(0, 32) || f[0] == name.substr(0, 30) + "~2") << f[0];
        else
            EXPECT_EQ(f[0], name);
        EXPECT_EQ(f[1], "VA1A2");
        EXPECT_EQ(core::loggertc::frameCount(f[2], rate), held[i].in);
        EXPECT_EQ(core::loggertc::frameCount(f[3], rate), held[i].out);  // exclusive
        EXPECT_EQ(f[2][8], core::frameSeparator(rate));
        EXPECT_EQ(f[4], ex::firstCharacters(name, 6));
    }
}

void checkOtio(const std::string& bytes, const std::vector<Held>& held, FrameRate rate) {
    std::string error;
    std::optional<JsonValue> doc = ex::parseJson(bytes, error);
    ASSERT_TRUE(doc) << error;
    expectSchemas(*doc);
    EXPECT_EQ(at(*doc, "OTIO_SCHEMA").text, "Timeline.1");
    EXPECT_EQ(at(*doc, "tracks.OTIO_SCHEMA").text, "Stack.1");
    const JsonValue& track = at(*doc, "tracks.children").items.at(0);
    EXPECT_EQ(at(track, "OTIO_SCHEMA").text, "Track.1");
    EXPECT_EQ(at(track, "kind").text, "Video");
    const std::vector<JsonValue>& clips = at(track, "children").items;
    ASSERT_EQ(clips.size(), held.size());
    for (std::size_t i = 0; i < held.size(); ++i) {
        EXPECT_EQ(at(clips[i], "OTIO_SCHEMA").text, "Clip.2");
        EXPECT_EQ(at(clips[i], "name").text, held[i].name);
        EXPECT_EQ(at(clips[i], "metadata.vemo.edit_number").number, held[i].number);
        EXPECT_EQ(at(clips[i], "metadata.cmx_3600.reel").text,
                  ex::firstCharacters(held[i].name, 6));
        expectTime(at(clips[i], "source_range.start_time"), held[i].in, rate);
        expectTime(at(clips[i], "source_range.duration"), held[i].out - held[i].in, rate);
        EXPECT_EQ(at(clips[i], "media_references.DEFAULT_MEDIA.OTIO_SCHEMA").text,
                  "MissingReference.1");
    }
}

void checkCsv(const std::string& bytes, const std::vector<Held>& held, FrameRate rate) {
    const auto rows = csvRows(bytes);
    ASSERT_EQ(rows.size(), held.size() + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Edit", "Name", "Reel", "In", "Out", "Duration",
                                                 "Duration Frames"}));
    for (std::size_t i = 0; i < held.size(); ++i) {
        const auto& f = rows[i + 1];
        ASSERT_EQ(f.size(), 7u);
        EXPECT_EQ(f[0], std::to_string(held[i].number));
        EXPECT_EQ(f[1], held[i].name);
        EXPECT_EQ(f[2], ex::firstCharacters(held[i].name, 6));
        EXPECT_EQ(core::loggertc::frameCount(f[3], rate), held[i].in);
        EXPECT_EQ(core::loggertc::frameCount(f[4], rate), held[i].out);
        EXPECT_EQ(core::loggertc::frameCount(f[5], rate), held[i].out - held[i].in);
        EXPECT_EQ(f[6], std::to_string(held[i].out - held[i].in));
    }
}

void check(ExportFormat format, const std::string& bytes, const std::vector<Held>& held,
           FrameRate rate) {
    const std::function<void(const std::string&, const std::vector<Held>&, FrameRate)> checks[] = {
        checkAle, checkOtio, checkCsv};
    checks[static_cast<int>(format)](bytes, held, rate);
}

class Export : public ::testing::TestWithParam<Case> {};

// The first twelve entries hold every special case; the golden file is their export.
// VEMO_UPDATE_GOLDEN=1 writes the files afresh (read them before committing).
TEST_P(Export, MatchesItsGoldenFileAndTheListFieldByField) {
    const Case& c = GetParam();
    const core::LoggerTable table = loggedTable(c.rate);
    const ex::ExportList list = ex::listFromTable(table, 12, c.rate, "logged");
    EXPECT_EQ(list.leftOut,
              (std::vector<std::string>{"entry 5: no name", "entry 8: its out is not after its in",
                                        "entry 9: its out is not after its in",
                                        "entry 10: no valid in (\"12:3x:00:00\")"}));
    const ex::Rendered r = ex::render(list, c.format);
    EXPECT_EQ(r.namesCut, c.format == ExportFormat::Ale ? 2 : 0);
    if (std::getenv("VEMO_UPDATE_GOLDEN") != nullptr)
        writeFile(goldenPath(c.golden), r.bytes);
    EXPECT_EQ(r.bytes, readFile(goldenPath(c.golden)));
    check(c.format, r.bytes, heldEntries(table, 12, c.rate), c.rate);
}

TEST_P(Export, EveryClipOfAFullListKeepsItsNameTimesAndDuration) {
    const Case& c = GetParam();
    const core::LoggerTable table = loggedTable(c.rate);
    const ex::ExportList list = ex::listFromTable(table, 100, c.rate, "logged");
    EXPECT_EQ(list.clips.size() + list.leftOut.size(), 100u);  // nothing dropped uncounted
    check(c.format, ex::render(list, c.format).bytes, heldEntries(table, 100, c.rate), c.rate);
}

INSTANTIATE_TEST_SUITE_P(AllFormatsAndRates, Export, ::testing::ValuesIn(Cases));

TEST(ExportFormats, ComeFromTheFileExtensionOrTheirName) {
    EXPECT_EQ(ex::formatOfPath("/a/b/clips.ALE"), ExportFormat::Ale);
    EXPECT_EQ(ex::formatOfPath("day1.otio"), ExportFormat::Otio);
    EXPECT_EQ(ex::formatOfPath("inventory.csv"), ExportFormat::Csv);
    EXPECT_EQ(ex::formatOfPath("a.csv/clips"), std::nullopt);
    EXPECT_EQ(ex::formatOfPath("clips.txt"), std::nullopt);
    EXPECT_EQ(ex::parseExportFormat("OTIO"), ExportFormat::Otio);
    EXPECT_EQ(ex::parseExportFormat("xml"), std::nullopt);
}

TEST(JsonReader, RefusesWhatIsNotStrictJson) {
    std::string error;
    for (const char* bad :
         {"{\"a\":1,}", "{\"a\":1,\"a\":2}", "{'a':1}", "{\"a\":01}", "{\"a\":\"x\ny\"}", "[1] 2",
          "{\"a\":tru}", "\"\\ud800\"", "", "\"\xC3\"", "\"\xED\xA0\x80\"",
          "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[1]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]"}) {
        error.clear();
        EXPECT_FALSE(ex::parseJson(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    std::optional<JsonValue> v =
        ex::parseJson(" {\"n\": -1.5e2, \"s\": \"\\u00e9\\ud83c\\udfac\"} ", error);
    ASSERT_TRUE(v);
    EXPECT_EQ(at(*v, "n").number, -150.0);
    EXPECT_EQ(at(*v, "s").text, "\xC3\xA9\xF0\x9F\x8E\xAC");
}

std::string sidecar(const std::string& clip, const std::string& start, const std::string& outcome,
                    const std::string& wall) {
    return "{\"clip\": \"" + clip + "\", \"reel\": \"TAPE 1\", \"requested_start\": \"" + start +
           "\", \"requested_end\": \"01:00:10;00\", \"started_at\": \"00:59:58;00\", "
           "\"stopped_at\": \"01:00:12;00\", \"breaks\": 0, \"wall_start\": \"" +
           wall +
           "\", \"wall_end\": null, \"exit_status\": 0, \"file_size\": 1048576, \"outcome\": \"" +
           outcome + "\"}";
}

TEST(CaptureFolder, ExportsEachSidecarsClipWithItsFileAndRealTimeCodes) {
    TempDir dir;
    dir.write("b.mov.json",
              sidecar("Opening, \\\"wide\\\"", "01:00:00;00", "captured", "10:00:02"));
    dir.write("a.mov.json", sidecar("Close-up", "01:00:05;00", "failed", "10:00:09"));
    dir.write("c.mov.json", "{\"clip\": {\"nested\": 1}, \"outcome\": \"captured\"}");
    dir.write("d.mov.json", sidecar("Reversed", "01:00:20;00", "captured", "10:00:30"));
    dir.write("clip.mov", "not a sidecar");
    ex::ExportList list;
    std::string error;
    ASSERT_TRUE(ex::listFromCaptures(dir.path(), FrameRate::Df2997, list, error)) << error;
    ASSERT_EQ(list.clips.size(), 2u);
    EXPECT_EQ(list.leftOut, (std::vector<std::string>{"c.mov.json: line 1: nested too deep",
                                                      "d.mov.json: its out is not after its in"}));
    EXPECT_EQ(list.clips[0].name, "Opening, \"wide\"");  // captured first
    EXPECT_EQ(list.clips[0].media->file, (dir.path() / "b.mov").string());
    EXPECT_EQ(list.clips[1].media->outcome, "failed");

    std::optional<JsonValue> doc = ex::parseJson(ex::renderOtio(list).bytes, error);
    ASSERT_TRUE(doc) << error;
    const auto& clips = at(*doc, "tracks.children").items.at(0).find("children")->items;
    const JsonValue& media = at(clips.at(0), "media_references.DEFAULT_MEDIA");
    EXPECT_EQ(at(media, "OTIO_SCHEMA").text, "ExternalReference.1");
    EXPECT_EQ(at(media, "target_url").text, ex::fileUrl((dir.path() / "b.mov").string()));
    const std::int64_t started = core::loggertc::frameCount("00:59:58;00", FrameRate::Df2997);
    expectTime(at(media, "available_range.start_time"), started, FrameRate::Df2997);
    expectTime(at(media, "available_range.duration"),
               core::loggertc::frameCount("01:00:12;00", FrameRate::Df2997) - started,
               FrameRate::Df2997);
    EXPECT_EQ(at(clips.at(1), "media_references.DEFAULT_MEDIA.OTIO_SCHEMA").text,
              "MissingReference.1");

    const auto rows = csvRows(ex::renderCsv(list).bytes);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].back(), "Actual End");
    EXPECT_EQ(rows[1], (std::vector<std::string>{"1", "Opening, \"wide\"", "TAPE 1", "01:00:00;00",
                                                 "01:00:10;00", "00:00:10;00", "300",
                                                 (dir.path() / "b.mov").string(), "captured",
                                                 "00:59:58;00", "01:00:12;00"}));
    const std::vector<std::string> ale = split(ex::renderAle(list).bytes, "\r\n");
    EXPECT_EQ(ale[7],
              "Name\tTracks\tStart\tEnd\tTape\tSource File\tCapture Start\tCapture "
              "End\tOutcome");
}

}  // namespace
}  // namespace vemo::test
