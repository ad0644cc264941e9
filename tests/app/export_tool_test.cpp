// vemo-export end to end: a list saved by the logger and a capture folder, real files in a
// temporary folder, the real built program.
#include <gtest/gtest.h>

#include "core/edl/logger_edl.h"
#include "core/export/capture_sidecar.h"
#include "core/export/export_format.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vemo::test {
namespace {
namespace ex = core::exporter;
using namespace std::chrono_literals;

class ExportTool : public ::testing::Test {
  protected:
    // Three clips as the logger saves them at 25 fps; the third ends before it starts.
    void SetUp() override {
        core::LoggerEDL edl;
        edl.setFrameRate(core::FrameRate::Fps25);
        const char* times[][2] = {{"00:01:00:00", "00:01:10:24"},
                                  {"00:02:00:00", "00:02:05:12"},
                                  {"00:03:00:00", "00:02:00:00"}};
        for (std::size_t i = 0; i < 3; ++i) {
            edl.table.SrcInArray[i] = times[i][0];
            edl.table.SrcOutArray[i] = times[i][1];
        }
        ASSERT_TRUE(edl.SaveEDL(dir.file("show.edl").string()).saved);
        list = ex::listFromTable(edl.table, 3, core::FrameRate::Fps25, "show");
    }

    std::pair<int, std::string> run(const std::vector<std::string>& args) {
        ChildProcess tool(builtProgram("tools/export/vemo-export"), args, dir.path());
        auto code = tool.wait(30s);
        EXPECT_TRUE(code.has_value());
        return {code.value_or(-1), tool.output()};
    }

    TempDir dir;
    ex::ExportList list;
};

TEST_F(ExportTool, WritesEachFormatByItsExtensionAndCountsWhatItLeftOut) {
    for (const char* name : {"show.ale", "show.otio", "show.csv"}) {
        auto [code, output] = run({"--fps", "25", "show.edl", name});
        EXPECT_EQ(code, 3) << name;
        EXPECT_EQ(output,
                  "vemo-export: show.edl: left out entry 3: its out is not after its in\n"
                  "vemo-export: 2 clips exported as " +
                      std::string(ex::formatName(*ex::formatOfPath(name))) +
                      "; 1 entry left out\n");
        EXPECT_EQ(dir.read(name), ex::render(list, *ex::formatOfPath(name)).bytes) << name;
    }
}

TEST_F(ExportTool, StandardOutputGetsTheExportAlone) {
    dir.write("good.edl", dir.read("show.edl").substr(0, dir.read("show.edl").rfind("003")));
    list.leftOut.clear();
    list.clips.resize(2);
    auto [code, output] = run({"--fps=25", "--format", "csv", "good.edl", "-"});
    EXPECT_EQ(code, 0);
    EXPECT_EQ(output, ex::renderCsv(list).bytes);  // no log line among it
}

TEST_F(ExportTool, RefusesWhatItCannotDo) {
    EXPECT_EQ(run({"show.edl", "show.txt"}).first, 2);
    EXPECT_EQ(run({"--format", "xml", "show.edl", "-"}).first, 2);
    EXPECT_EQ(run({"--fps", "24", "show.edl", "out.csv"}).first, 2);
    EXPECT_EQ(run({"show.edl"}).first, 2);
    EXPECT_EQ(run({"missing.edl", "out.csv"}).first, 1);
    EXPECT_EQ(run({"missing.json", "out.csv"}).first, 1);
    EXPECT_EQ(run({"show.edl", "no/such/folder/out.csv"}).first, 1);
}

TEST_F(ExportTool, TakesACaptureFolder) {
    std::filesystem::create_directory(dir.file("batch"));
    writeFile(dir.file("batch") / "001.mov.json",
              R"({"clip": "Interview", "reel": "TAPE1", "requested_start": "00:01:00:00",
                  "requested_end": "00:01:10:00", "started_at": "00:00:58:00",
                  "stopped_at": "00:01:12:00", "outcome": "captured"})");
    auto [code, output] = run({"batch", "batch.otio"});
    EXPECT_EQ(code, 0) << output;
    ex::ExportList captured;
    std::string error;
    ASSERT_TRUE(ex::listFromCaptures(dir.file("batch"), core::FrameRate::Fps30, captured, error));
    captured.title = "batch";
    EXPECT_EQ(dir.read("batch.otio"), ex::renderOtio(captured).bytes);
    EXPECT_NE(dir.read("batch.otio").find("\"ExternalReference.1\""), std::string::npos);
}

}  // namespace
}  // namespace vemo::test
