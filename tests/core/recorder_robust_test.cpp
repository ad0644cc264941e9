#include <gtest/gtest.h>

#include <random>

#include "core/edl/recorder_edl.h"
#include "recorder_test_view.h"

namespace vemo::core {
namespace {

using testing::RecordingView;

// Text that looks like an EDL often enough to reach every branch: time codes, blanks,
// colons, line ends of every kind, and now and then any byte at all.
std::string randomSource(std::mt19937& rng) {
    static const std::string pieces[] = {"00:01:00:00",
                                         "00:02:00;00",
                                         " ",
                                         "  ",
                                         ":",
                                         ";",
                                         "\n",
                                         "\r",
                                         "\r\n",
                                         "001  AX  V  C ",
                                         "* FROM CLIP NAME: x",
                                         "TITLE: t",
                                         "9",
                                         "M2 ",
                                         std::string(25, 'x'),
                                         "0:",
                                         ":00"};
    std::uniform_int_distribution<int> count(0, 400);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(pieces)));
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text;
    for (int n = count(rng); n > 0; --n) {
        int p = pick(rng);
        if (p == static_cast<int>(std::size(pieces))) {
            text.push_back(static_cast<char>(byte(rng)));
        } else {
            text += pieces[p];
        }
    }
    return text;
}

void checkInvariants(const RecorderEDL& edl) {
    ASSERT_GE(edl.rawlinecount, 0);
    ASSERT_LE(edl.rawlinecount, RecorderEDL::RawSize);
    ASSERT_GE(edl.lxline, 0);
    ASSERT_LE(edl.lxline, RecorderEDL::LxSize);
    int events = 0;
    for (int i = edl.lxmin; i < edl.lxline && i < RecorderEDL::LxSize; ++i)
        ++events;
    ASSERT_LE(events, edl.lxmax - edl.lxmin + 1);  // a WAI may take the last place
}

TEST(RecorderRobust, AnyTextAndAnyEditingKeepTheListsInBounds) {
    std::mt19937 rng(20240611);
    RecordingView view;
    RecorderEDL edl(&view);
    std::uniform_int_distribution<int> op(0, 11);
    for (int round = 0; round < 300; ++round) {
        edl.initialize = rng() & 1;
        edl.finalize = rng() & 1;
        edl.onetitle = rng() & 1;
        edl.autochapter = rng() & 1;
        edl.parseText(randomSource(rng));
        edl.autoedl();
        for (int n = 0; n < 60; ++n) {
            switch (op(rng)) {
                case 0:
                    edl.parsenextline();
                    break;
                case 1:
                    edl.backupsourceedl();
                    break;
                case 2:
                    edl.removeoutputline();
                    break;
                case 3:
                    edl.changepausetostop();
                    break;
                case 4:
                    edl.changestoptopause();
                    break;
                case 5:
                    edl.setchapter();
                    break;
                case 6:
                    edl.addwait();
                    break;
                case 7:
                    edl.saveedl("", "");
                    break;
                case 8:
                    edl.autoedl();
                    break;
                case 9:
                    edl.rawline = 0;
                    break;
                default:
                    edl.parsenextline();
                    break;
            }
            checkInvariants(edl);
        }
    }
}

TEST(RecorderRobust, OperationsSurviveFieldsSetOutOfRange) {
    RecordingView view;
    RecorderEDL edl(&view);
    edl.parseText(testing::manyEvents(5, true));
    for (int value : {-1000, -2, -1, 98, 99, 100, 999, 1000, 100000}) {
        for (int field = 0; field < 4; ++field) {
            edl.autoedl();
            (field == 0   ? edl.lxline
             : field == 1 ? edl.lxmax
             : field == 2 ? edl.lxmin
                          : edl.rawline) = value;
            edl.getsourcetime(testing::eventLine(1, "00:00:01:00", "00:00:02:00"));
            edl.parsenextline();
            edl.backupsourceedl();
            edl.removeoutputline();
            edl.changepausetostop();
            edl.changestoptopause();
            edl.setchapter();
            edl.addwait();
            edl.saveedl("", "");
            edl.showlxedl();
        }
    }
    edl.rawlinecount = 5000;
    edl.rawline = 0;
    edl.autoedl();
    SUCCEED();
}

}  // namespace
}  // namespace vemo::core
