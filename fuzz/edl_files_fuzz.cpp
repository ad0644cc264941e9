// Both EDL formats read from a real file must give exactly what they give from the same
// bytes in memory: the descriptor readers (chunked reads, line ends across chunks, the
// logger's first-byte check) against the in-memory ones.
//
// Input: the file's bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/edl/logger_edl.h"
#include "core/edl/recorder_edl.h"
#include "core/settings.h"
#include "support/fuzz_input.h"

namespace {
using vemo::core::LoggerEDL;
using vemo::core::RecorderEDL;

class QuietView : public vemo::core::RecorderView {
  public:
    void wait(int) override {}
    void log(const std::string&) override {}
};

// One file for the whole run, rewritten for each input.
const std::string& scratchFile() {
    static const std::string path = [] {
        char templ[] = "/tmp/vemo-edl-fuzz-XXXXXX";
        int fd = ::mkstemp(templ);
        if (fd >= 0)
            ::close(fd);
        return std::string(templ);
    }();
    return path;
}

bool writeScratch(std::string_view bytes) {
    std::FILE* f = std::fopen(scratchFile().c_str(), "wb");
    if (f == nullptr)
        return false;
    // An empty input may come with no buffer at all.
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

void checkLogger(std::string_view bytes) {
    LoggerEDL fromFile;
    LoggerEDL fromMemory;
    auto a = fromFile.LoadEDL(scratchFile());
    auto b = fromMemory.LoadEDLBytes(bytes);
    FUZZ_CHECK(a.ok == b.ok && a.failure == b.failure);
    FUZZ_CHECK(a.count == b.count && a.stoppedAtShortLine == b.stoppedAtShortLine);
    FUZZ_CHECK(fromFile.table.ClipNameArray == fromMemory.table.ClipNameArray);
    FUZZ_CHECK(fromFile.table.SrcInArray == fromMemory.table.SrcInArray);
    FUZZ_CHECK(fromFile.table.SrcOutArray == fromMemory.table.SrcOutArray);
}

void checkRecorder(std::string_view bytes) {
    QuietView view;
    RecorderEDL fromFile(&view);
    RecorderEDL fromMemory(&view);
    const std::string path = scratchFile();
    const std::string::size_type slash = path.rfind('/');
    fromFile.parseedl(path.substr(0, slash), path.substr(slash + 1));
    fromMemory.parseText(bytes);
    FUZZ_CHECK(!fromFile.ioerror);
    FUZZ_CHECK(fromFile.rawlinecount == fromMemory.rawlinecount);
    FUZZ_CHECK(fromFile.rawedl == fromMemory.rawedl);
    FUZZ_CHECK(fromFile.lxedl == fromMemory.lxedl);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vemo::fuzz::quietLog();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!writeScratch(bytes))
        return 0;
    checkLogger(bytes);
    checkRecorder(bytes);
    return 0;
}
