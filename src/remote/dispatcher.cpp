#include "remote/dispatcher.h"

#include <climits>

namespace vemo::remote {
namespace {

bool hasPrefix(const std::string& line, std::string_view prefix) {
    return line.size() >= prefix.size() && line.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

Dispatcher::Dispatcher(deck::LocalVCR& svcr, Waiter waiter)
    : svcr_(svcr), waiter_(std::move(waiter)) {
    if (!waiter_)
        waiter_ = [&svcr](int ms) { svcr.DelayT(ms); };
}

std::optional<int> Dispatcher::waitSeconds(std::string_view argument) {
    constexpr long long kMaxSeconds = INT_MAX / 1000;
    if (argument.empty())
        return std::nullopt;
    long long seconds = 0;
    for (char c : argument) {
        if (c < '0' || c > '9')
            return std::nullopt;
        seconds = seconds * 10 + (c - '0');
        // Stop before the value can overflow; leading zeros keep it small and are fine.
        if (seconds > kMaxSeconds)
            return std::nullopt;
    }
    return static_cast<int>(seconds);
}

bool Dispatcher::ParseNetCommand(const std::string& line) {
    bool result = false;
    // Every test runs, whatever matched before it.
    auto word = [&](std::string_view w, auto&& op) {
        if (line == w) {
            op();
            result = true;
        }
    };
    deck::LocalVCR& v = svcr_;
    word("Play", [&] { v.play(); });
    word("Pause", [&] { v.pause(); });
    word("Stop", [&] { v.stop(); });
    word("Forward", [&] { v.forward(); });
    word("Rewind", [&] { v.rewind(); });
    word("Record", [&] { v.record(); });
    word("GetTC", [&] { reporttc(); });
    word("Status", [&] { reportstatus(); });
    // A cue that cannot start has told the operator why; the word still counts as matched.
    word("CueIn", [&] { v.cue(); });
    word("CueOut", [&] { v.cueout(); });
    word("SetIn", [&] { setin(); });
    word("SetOut", [&] { setout(); });
    word("CuePlay", [&] { v.cueplay(); });
    word("Review", [&] { v.reviewclip(); });

    // The LX1 recorder has no jog, variable speed, EE or standby.
    if (!v.isLX1()) {
        word("JogF", [&] { v.jogf(); });
        word("JogR", [&] { v.jogr(); });
        word("Fast2", [&] { v.fasttwo(); });
        word("Fast5", [&] { v.fastfive(); });
        word("Slow5", [&] { v.slowfifth(); });
        word("Slow3", [&] { v.slowthird(); });
        word("Slow2", [&] { v.slowhalf(); });
        word("EEOn", [&] { v.eeon(); });
        word("EEOff", [&] { v.eeoff(); });
        word("SbyOn", [&] { v.sbyon(); });
        word("SbyOff", [&] { v.sbyoff(); });
    }

    if (hasPrefix(line, "Wait")) {
        // Anything but plain seconds is not a wait at all: a script reports it as an error.
        if (auto seconds = waitSeconds(std::string_view(line).substr(4))) {
            waiter_(*seconds * 1000);
            result = true;
        }
    }
    if (hasPrefix(line, "tc1")) {
        v.fields().setCue(line.substr(3));
        result = true;
    }
    if (hasPrefix(line, "tc2")) {
        v.fields().setEnd(line.substr(3));
        result = true;
    }
    return result;
}

// While the deck is not answering the last values would be stale: the client is told so.
void Dispatcher::reporttc() {
    if (auto client = svcr_.connectThread())
        client->Send(svcr_.deckAnswering() ? svcr_.TCString() : deck::LocalVCR::kNoDeckReply);
}

void Dispatcher::reportstatus() {
    if (auto client = svcr_.connectThread())
        client->Send(svcr_.deckAnswering() ? svcr_.StatusString() : deck::LocalVCR::kNoDeckReply);
}

// The window does it when there is one; without it the shared fields are set directly.
void Dispatcher::setin() {
    if (deck::DeckDisplay* d = svcr_.display()) {
        d->setcue();
        return;
    }
    svcr_.fields().setCue(svcr_.fields().tc());
    svcr_.MakeCueString();
}

void Dispatcher::setout() {
    if (deck::DeckDisplay* d = svcr_.display()) {
        d->setreview();
        return;
    }
    svcr_.fields().setEnd(svcr_.fields().tc());
}

}  // namespace vemo::remote
