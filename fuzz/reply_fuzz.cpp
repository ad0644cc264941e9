// The deck's reply bytes as the controller decodes them: a port that gives back a good
// time code once, then the input as the reply of every exchange (16 bytes, any count 0-16),
// behind a LocalVCR with a display that records what it is told; the status decoding on the
// same 16 bytes directly; and the pure time-code, frame and hex helpers on the rest.
//
// Input: one flag byte (LX1, reviewing, clipboard), one count byte, 16 reply bytes, then text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "core/utils.h"
#include "deck/local_vcr.h"
#include "deck/protocol.h"
#include "deck/status_words.h"
#include "deck/timecode.h"
#include "support/fake_command_port.h"
#include "support/fuzz_input.h"

namespace {
using namespace vemo::deck;
using vemo::serial::ExchangeResult;

class RecordingDisplay : public DeckDisplay {
  public:
    void ShowTC(const TimeCode& tc) override { tcs.push_back(tc.text()); }
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void clearbuttons() override {
        ++clears;
        highlights.clear();
    }
    void hilight(Indicator indicator) override { highlights.push_back(indicator); }
    void show() override {}
    void setCueControlsEnabled(bool enabled) override { (void)enabled; }
    void EnableConnect(bool enabled) override { (void)enabled; }
    void setcue() override {}
    void setreview() override {}

    std::vector<std::string> tcs;
    std::vector<std::string> statuses;
    std::vector<Indicator> highlights;
    int clears = 0;
};

class RecordingClipboard : public ClipboardSink {
  public:
    void setText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// Every status text is made of these words only.
bool onlyStatusWords(std::string_view words) {
    static constexpr std::string_view known[] = {"Play ", "Rec ",     "FF ",  "REW ",    "Stop ",
                                                 "Stby ", "Shuttle ", "Jog ", "CuedUp ", "PreCue "};
    while (!words.empty()) {
        bool found = false;
        for (std::string_view w : known) {
            if (words.substr(0, w.size()) == w) {
                words.remove_prefix(w.size());
                found = true;
                break;
            }
        }
        if (!found)
            return false;
    }
    return true;
}

// The time code a deck sends before the fuzzed reply: what an unusable reply must leave.
constexpr int kLastGood = 300;  // 00:00:10:00
const vemo::test::Bytes kLastGoodReply =
    vemo::test::withChecksum({0x74, 0x04, 0x00, 0x10, 0x00, 0x00});

// Whether the four time bytes (frames, seconds, minutes, hours; flag bits aside) are decimal
// digits that name a time: minutes and seconds 00-59, frames 00-29, hours as they come.
bool namesTime(const std::uint8_t* r) {
    const int masks[4] = {0x3F, 0x7F, 0x7F, 0x3F};
    int value[4];
    for (int i = 0; i < 4; ++i) {
        const int b = r[2 + i] & masks[i];
        if ((b & 0x0F) > 9)
            return false;
        value[i] = (b >> 4) * 10 + (b & 0x0F);
    }
    return value[0] <= 29 && value[1] <= 59 && value[2] <= 59;
}

void checkTimeCode(const TimeCode& tc) {
    FUZZ_CHECK(tc.hours >= 0 && tc.hours <= 39 && tc.frames >= 0 && tc.frames <= 29);
    FUZZ_CHECK(tc.minutes >= 0 && tc.minutes <= 59 && tc.seconds >= 0 && tc.seconds <= 59);
    const std::string text = tc.text();
    FUZZ_CHECK(text.size() == 11 && TimeCode::parse(text) == tc);
    auto b = tc.toBCD();
    FUZZ_CHECK(TimeCode::fromBCD(b[0], b[1], b[2], b[3]) == tc);
    FUZZ_CHECK(TimeCode::fromFrameCount(tc.frameCount()).frameCount() == tc.frameCount());
}

void checkExchange(LocalVCR& vcr, RecordingDisplay& display, RecordingClipboard& clip,
                   const ExchangeResult& reply, bool lx1) {
    const std::uint8_t* r = reply.bytes.data();
    const bool time = protocol::isTimeData(r, reply.count) && namesTime(r);
    const bool status = protocol::isStatusData(r, reply.count);
    const std::string words = decodeStatus(r, lx1, false).words;

    vcr.CommandB8();
    FUZZ_CHECK(display.tcs.size() == (time ? 1u : 0u));
    if (time) {
        const std::string& text = display.tcs.front();
        auto tc = TimeCode::parse(text);
        FUZZ_CHECK(tc &&
                   tc->frameCount() == TimeCode::fromBCD(r[2], r[3], r[4], r[5]).frameCount());
        FUZZ_CHECK(text[8] == ((r[2] & 0x40) != 0 ? ';' : ':'));
        checkTimeCode(*tc);
        FUZZ_CHECK(vcr.tcframes() == tc->frameCount() && vcr.TCString() == text);
        FUZZ_CHECK(vcr.fields().tc() == text);
        FUZZ_CHECK(clip.texts.size() == (vcr.settings().useclipboard ? 1u : 0u));
    } else {
        // The last time code stays: a review never halts on a reply it cannot use.
        FUZZ_CHECK(vcr.tcframes() == kLastGood && vcr.fields().tc() == "00:00:10:00");
        FUZZ_CHECK(clip.texts.empty());
    }
    FUZZ_CHECK(display.statuses.size() == (status ? 1u : 0u));
    if (status)
        FUZZ_CHECK(display.statuses.back() == words);

    display.statuses.clear();
    vcr.CommandStatus();
    if (status) {
        FUZZ_CHECK(display.statuses.size() == 1 && display.statuses.back() == words);
        FUZZ_CHECK(vcr.StatusString() == words);
    } else if (reply.count == 0) {
        FUZZ_CHECK(display.statuses.size() == 1 && display.statuses.back() == "No VCR Status");
    } else {
        FUZZ_CHECK(display.statuses.empty());
    }
}

void checkStatusWords(LocalVCR& vcr, RecordingDisplay& display, const std::uint8_t* s, bool lx1,
                      bool reviewing) {
    StatusWords st = decodeStatus(s, lx1, reviewing);
    FUZZ_CHECK(onlyStatusWords(st.words));
    FUZZ_CHECK(st.cueup == ((s[4] & 0x01) != 0) && st.preroll == ((s[6] & 0x01) != 0));
    if (reviewing)
        FUZZ_CHECK(st.highlights.empty());

    const int clears = display.clears;
    const std::string words = vcr.ExtractStatusString(s);
    StatusWords direct = decodeStatus(s, lx1, false);
    FUZZ_CHECK(words == direct.words && display.clears == clears + 1);
    FUZZ_CHECK(display.highlights == direct.highlights);
    FUZZ_CHECK(vcr.cueup() == direct.cueup && vcr.preroll() == direct.preroll);
}

// The helpers that read texts and bytes from outside: time-code texts, frames, hex.
void checkPure(std::string_view text, const std::uint8_t* reply, int count) {
    if (auto tc = TimeCode::parse(text)) {
        std::string same(text.substr(0, 11));
        same[2] = same[5] = same[8] = ':';
        FUZZ_CHECK(tc->text() == same);
        FUZZ_CHECK(framesOf(text) == tc->frameCount());
        auto frame = protocol::cueFrame(text);
        FUZZ_CHECK(frame && *frame == protocol::cueFrame(*tc));
        FUZZ_CHECK((*frame)[6] == protocol::checksum(frame->data(), 6));
        FUZZ_CHECK(TimeCode::fromFrameCount(tc->frameCount()).frameCount() == tc->frameCount());
    } else {
        FUZZ_CHECK(!framesOf(text) && !protocol::cueFrame(text));
    }
    for (int i = 0; i < 16; ++i) {
        const std::uint8_t b = reply[i];
        BcdDigits d = TCBCD(b);
        BcdDigits f = TCFBCD(b);
        FUZZ_CHECK(d.tens >= '0' && d.tens <= '7' && d.units >= '0' && d.units <= '9');
        FUZZ_CHECK(f.tens >= '0' && f.tens <= '3' && d.val == (d.tens - '0') * 10 + d.units - '0');
        std::string tc = "00:00:00:00";
        const std::size_t pos = b % 16;
        FUZZ_CHECK(TCFBCD(b, tc, pos) == f.val && tc.size() >= pos + 2 && tc[pos] == f.tens);
        auto shuttle = protocol::shuttleFrame(i % 2 ? protocol::bsshutfwd : protocol::bsshutrev, b);
        FUZZ_CHECK(shuttle[2] == b && shuttle[3] == protocol::checksum(shuttle.data(), 3));
    }
    const std::string hex = vemo::core::Utils::BS2S(reply, 16, count);
    FUZZ_CHECK(hex.size() == 3 * static_cast<std::size_t>(count));
    auto bytes = vemo::core::Utils::S2BS(text);
    FUZZ_CHECK(bytes.size() == text.size() / 2);
    if (count > 0)
        FUZZ_CHECK(vemo::core::Utils::S2BS(hex.substr(0, 2))[0] == reply[0]);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vemo::fuzz::quietLog();
    vemo::fuzz::FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    ExchangeResult reply;
    reply.count = in.byte() % 17;
    for (auto& b : reply.bytes)
        b = in.byte();
    const std::string_view text = in.rest();
    const bool lx1 = (flags & 1) != 0;
    const bool reviewing = (flags & 2) != 0;

    vemo::core::Settings settings = vemo::core::Settings::forDeck(lx1 ? "LX1" : "TAPE");
    settings.useclipboard = (flags & 4) != 0;
    const ExchangeResult lastGood = vemo::test::replyOf(kLastGoodReply);
    const ExchangeResult* answer = &lastGood;
    vemo::test::FakeCommandPort port;
    port.setReply([&answer](const vemo::test::Bytes&) { return *answer; });
    RecordingDisplay display;
    RecordingClipboard clip;
    {
        LocalVCR vcr(&port, settings);
        vcr.setDisplay(&display);
        vcr.setClipboard(&clip);
        vcr.CommandB8();
        FUZZ_CHECK(vcr.tcframes() == kLastGood);
        display.tcs.clear();
        clip.texts.clear();
        answer = &reply;
        checkExchange(vcr, display, clip, reply, lx1);
        checkStatusWords(vcr, display, reply.bytes.data(), lx1, reviewing);
    }
    checkPure(text, reply.bytes.data(), reply.count);
    return 0;
}
