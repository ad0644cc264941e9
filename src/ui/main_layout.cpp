#include "ui/main_layout.h"

namespace vemo::ui {
namespace {

// The client area has no insets: the first column and the first row start 5 pixels in.
constexpr int C0 = 5;
constexpr int C1 = C0 + kColumn;
constexpr int C2 = C0 + 2 * kColumn;
constexpr int C3 = C0 + 3 * kColumn;
constexpr int C4 = C0 + 4 * kColumn;
constexpr int kTop = 5;
constexpr int kButton = kColumn;  // every button is one column wide unless stated
constexpr int kWide = 100;
constexpr int kField = 120;

std::vector<Placement> tapeLayout() {
    const int r0 = kTop;
    const int r1 = r0 + 32;  // transport
    const int r2 = r1 + 28;  // variable speed
    const int r3 = r2 + 28;  // EE, record, standby
    const int r4 = r3 + 34;  // in / cue / out
    const int r5 = r4 + 30;  // in and out fields
    const int r6 = r5 + 32;  // jog
    const int r7 = r6 + 32;  // shuttle slider
    const int r8 = r7 + 30;  // other windows
    const int r9 = r8 + 26;  // status label
    const int r10 = r9 + 24;
    return {
        {"vcrlabel", C0, r0, 180, kRow},
        {"tcfield", C3, r0, kField, kRow},
        {"brew", C0, r1, kButton, kRow},
        {"bpause", C1, r1, kButton, kRow},
        {"bstop", C2, r1, kButton, kRow},
        {"bplay", C3, r1, kButton, kRow},
        {"bfwd", C4, r1, kButton, kRow},
        {"bslowfifth", C0, r2, kButton, kRow},
        {"bslowthird", C1, r2, kButton, kRow},
        {"bslowhalf", C2, r2, kButton, kRow},
        {"bfasttwo", C3, r2, kButton, kRow},
        {"bfastfive", C4, r2, kButton, kRow},
        {"beeon", C0, r3, kButton, kRow},
        {"beeoff", C1, r3, kButton, kRow},
        {"brecord", C2, r3, kButton, kRow},
        {"bsbyon", C3, r3, kButton, kRow},
        {"bsbyoff", C4, r3, kButton, kRow},
        {"bsetcue", C0, r4, kButton, kRow},
        {"bcue", C1, r4, kButton, kRow},
        {"bcueplay", C2, r4, kButton, kRow},
        {"bsetreview", C3, r4, kButton, kRow},
        {"bcueout", C4, r4, kButton, kRow},
        {"cuefield", C0, r5, kField, kRow},
        {"breview", C2, r5, kButton, kRow},
        {"endfield", C3, r5, kField, kRow},
        {"bjogr", C0, r6, kWide, kRow},
        {"bscript", C2, r6, kButton, kRow},
        {"bjogf", C3 + 20, r6, kWide, kRow},
        {"vsb", C0, r7, 300, 25},
        {"bedlmaker", C0, r8, kWide, kRow},
        {"blogger", C3 + 20, r8, kWide, kRow},
        {"statuslabel", C0, r9, kWide, kRow},
        {"statusfield", C0, r10, 300, kRow},
    };
}

std::vector<Placement> lx1Layout() {
    const int r0 = kTop;
    const int r1 = r0 + 32;  // transport
    const int r2 = r1 + 28;  // record alone
    const int r3 = r2 + 34;  // in / cue / out
    const int r4 = r3 + 30;  // in and out fields
    const int r5 = r4 + 30;  // other windows and the script
    const int r6 = r5 + 26;  // status label
    const int r7 = r6 + 24;
    return {
        {"lx1label", C0, r0, 180, kRow},       {"tcfield", C3, r0, kField, kRow},
        {"brew", C0, r1, kButton, kRow},       {"bpause", C1, r1, kButton, kRow},
        {"bstop", C2, r1, kButton, kRow},      {"bplay", C3, r1, kButton, kRow},
        {"bfwd", C4, r1, kButton, kRow},       {"brecord", C2, r2, kButton, kRow},
        {"bsetcue", C0, r3, kButton, kRow},    {"bcue", C1, r3, kButton, kRow},
        {"bcueplay", C2, r3, kButton, kRow},   {"bsetreview", C3, r3, kButton, kRow},
        {"bcueout", C4, r3, kButton, kRow},    {"cuefield", C0, r4, kField, kRow},
        {"breview", C2, r4, kButton, kRow},    {"endfield", C3, r4, kField, kRow},
        {"bedlmaker", C0, r5, kWide, kRow},    {"bscript", C2, r5, kButton, kRow},
        {"blogger", C3 + 20, r5, kWide, kRow}, {"statuslabel", C0, r6, kWide, kRow},
        {"statusfield", C0, r7, 300, kRow},
    };
}

}  // namespace

const std::vector<Placement>& layoutFor(bool lx1) {
    static const std::vector<Placement> tape = tapeLayout();
    static const std::vector<Placement> recorder = lx1Layout();
    return lx1 ? recorder : tape;
}

const Placement* placementOf(const std::vector<Placement>& layout, std::string_view name) {
    for (const Placement& p : layout) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}

int windowHeight(const std::vector<Placement>& layout) {
    const Placement* status = placementOf(layout, "statusfield");
    return (status != nullptr ? status->y : 0) + kRow + 8;
}

}  // namespace vemo::ui
