#include "remote/dispatcher.h"

#include <climits>
#include <string_view>
#include <utility>

#include "deck/commands.h"

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
    deck::LocalVCR& v = svcr_;
    // The deck operations come from the one command table; a word the deck type does not
    // offer is no word at all.
    if (auto operation = deck::byRemoteWord(line, v.isLX1())) {
        deck::perform(v, *operation);
        result = true;
    }
    // The words that answer the client or take the time code rather than move the deck.
    static constexpr std::pair<std::string_view, void (Dispatcher::*)()> kOwnWords[] = {
        {"GetTC", &Dispatcher::reporttc},
        {"Status", &Dispatcher::reportstatus},
        {"SetIn", &Dispatcher::setin},
        {"SetOut", &Dispatcher::setout},
    };
    for (const auto& [word, own] : kOwnWords) {
        if (line == word) {
            (this->*own)();
            result = true;
        }
    }

    if (hasPrefix(line, "Wait")) {
        // Anything but plain seconds is not a wait at all: a script reports it as an error.
        if (auto seconds = waitSeconds(std::string_view(line).substr(4))) {
            waiter_(*seconds * 1000);
            result = true;
        }
    }
    // The field takes the text as written; one that names no real time is refused at once on
    // the status line, and any cue or review from it is refused before a frame goes out.
    if (hasPrefix(line, "tc1")) {
        v.fields().setCue(line.substr(3));
        checkEntered(line.substr(3), false);
        result = true;
    }
    if (hasPrefix(line, "tc2")) {
        v.fields().setEnd(line.substr(3));
        checkEntered(line.substr(3), true);
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
    } else {
        svcr_.fields().setEnd(svcr_.fields().tc());
    }
    checkEntered(svcr_.fields().end(), true);
}

// An empty text clears a field and is no time to check.
void Dispatcher::checkEntered(const std::string& text, bool outPoint) {
    if (!text.empty())
        svcr_.checkTimeText(text, outPoint);
}

}  // namespace vemo::remote
