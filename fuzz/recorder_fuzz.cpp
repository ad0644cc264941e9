// The recorder list converter on an arbitrary source EDL, then a run of the EDL maker's
// editing operations chosen by input bytes. The output list never leaves its 99 entries,
// lxline stays inside it, the commands stay contiguous and, with FNL on, end with FNL.
//
// Input: one option byte, one count byte, that many operation bytes, then the source text.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/edl/recorder_edl.h"
#include "support/fuzz_input.h"

namespace {
using vemo::core::RecorderEDL;

// Shows nothing and never sleeps: the engine's message waits would only slow the run.
class QuietView : public vemo::core::RecorderView {
  public:
    void wait(int milliseconds) override { waited += milliseconds; }
    void log(const std::string& line) override { (void)line; }
    long long waited = 0;
};

bool isCommand(const std::string& entry) {
    return entry.size() > 1;
}

void checkList(const RecorderEDL& edl) {
    FUZZ_CHECK(edl.lxmin == 0 || edl.lxmin == 1);
    FUZZ_CHECK(edl.lxmax >= RecorderEDL::LxSize - 2 && edl.lxmax <= RecorderEDL::LxSize);
    FUZZ_CHECK(edl.lxline >= edl.lxmin && edl.lxline <= RecorderEDL::LxSize);
    FUZZ_CHECK(edl.rawline >= 0);
    FUZZ_CHECK(edl.rawlinecount >= 0 && edl.rawlinecount <= RecorderEDL::RawSize);
    if (edl.initialize)
        FUZZ_CHECK(edl.lxedl[0] == "INI");
    // Commands up to lxline, then FNL when it is on, then nothing.
    const int firstFree = edl.lxline + (edl.finalize ? 1 : 0);
    for (int i = 0; i < RecorderEDL::LxSize; ++i) {
        const std::string& e = edl.lxedl[static_cast<std::size_t>(i)];
        if (i < edl.lxline)
            FUZZ_CHECK(isCommand(e));
        else if (i >= firstFree)
            FUZZ_CHECK(e == RecorderEDL::Free);
    }
    if (edl.finalize) {
        FUZZ_CHECK(edl.lxline < RecorderEDL::LxSize);
        FUZZ_CHECK(edl.lxedl[static_cast<std::size_t>(edl.lxline)] == "FNL");
    }
}

// The header, then one numbered line per command: never more than the list holds.
void checkText(const std::string& text, std::string_view end) {
    FUZZ_CHECK(text.compare(0, RecorderEDL::Header.size(), RecorderEDL::Header) == 0);
    int lines = 0;
    std::size_t at = 0;
    for (std::size_t next; (next = text.find(end, at)) != std::string::npos;
         at = next + end.size()) {
        if (lines > 0) {
            std::string_view line(text.data() + at, next - at);
            FUZZ_CHECK(line.size() > 4 && line[3] == ' ');
        }
        ++lines;
    }
    FUZZ_CHECK(at == text.size());
    FUZZ_CHECK(lines >= 1 && lines <= 1 + RecorderEDL::LxSize);
}

// The EDL maker's option boxes: each change converts the whole source again.
void toggle(RecorderEDL& edl, int which) {
    switch (which) {
        case 0:
            edl.initialize = !edl.initialize;
            break;
        case 1:
            edl.finalize = !edl.finalize;
            break;
        case 2:
            edl.onetitle = !edl.onetitle;
            edl.titlemodestring = edl.onetitle ? RecorderEDL::Pause : RecorderEDL::Stop;
            break;
        default:
            edl.autochapter = !edl.autochapter;
            if (edl.autochapter) {
                edl.onetitle = false;
                edl.titlemodestring = RecorderEDL::Stop;
            }
            break;
    }
    edl.autoedl();
}

void operate(RecorderEDL& edl, std::uint8_t op, std::string_view source) {
    switch (op % 16) {
        case 0:  // Process Line: past the end it starts again from line 1
            if (edl.rawline == edl.rawlinecount)
                edl.rawline = 0;
            edl.parsenextline();
            break;
        case 1:
            edl.parsenextline();
            break;
        case 2:
            edl.backupsourceedl();
            break;
        case 3:
            edl.removeoutputline();
            break;
        case 4:  // ST
            edl.changepausetostop();
            edl.onetitle = false;
            edl.titlemodestring = RecorderEDL::Stop;
            break;
        case 5:  // PS
            edl.changestoptopause();
            edl.onetitle = true;
            edl.titlemodestring = RecorderEDL::Pause;
            break;
        case 6:
            edl.setchapter();
            break;
        case 7:
            edl.addwait();
            break;
        case 8:
        case 9:
        case 10:
        case 11:
            toggle(edl, op % 16 - 8);
            break;
        case 12:
            edl.autoedl();
            break;
        case 13:  // Save without a name: only the final fix-ups
            edl.saveedl("", "");
            break;
        case 14:
            checkText(edl.edltext(false), "\n");
            break;
        default:  // a shorter source loaded without starting again
            edl.parseText(source.substr(0, source.size() * (op >> 4) / 16));
            break;
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vemo::fuzz::quietLog();
    vemo::fuzz::FuzzInput in(data, size);
    const std::uint8_t options = in.byte();
    const std::size_t count = in.byte() % 65;
    std::string_view ops = in.text(count);
    std::string_view source = in.rest();

    QuietView view;
    RecorderEDL edl(&view);
    edl.initialize = (options & 1) != 0;
    edl.finalize = (options & 2) != 0;
    edl.onetitle = (options & 4) != 0;
    edl.autochapter = (options & 8) != 0;
    edl.verbose = (options & 16) != 0;

    edl.parseText(source);
    checkList(edl);
    edl.rawline = 0;
    edl.autoedl();
    checkList(edl);
    for (char op : ops) {
        operate(edl, static_cast<std::uint8_t>(op), source);
        checkList(edl);
    }
    checkText(edl.edltext(true), "\r\n");
    return 0;
}
