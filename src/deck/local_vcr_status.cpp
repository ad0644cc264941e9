// Status and time-code read-back, the polling thread, start-up and closing.
#include "core/utils.h"
#include "deck/cue_thread.h"
#include "deck/local_vcr.h"
#include "deck/status_words.h"
#include "deck/tc_thread.h"

namespace vemo::deck {

void LocalVCR::announceReady() {
    core::Utils::OutLine("Ready");
    ShowStat(" Ready");
    CommandB0(bssettimemode);
}

void LocalVCR::status() {
    CommandStatus();
}

void LocalVCR::CommandStatus() {
    const unsigned epoch = cueEpoch_.load();
    serial::ExchangeResult r = CommandB0(bsstatus);
    if (protocol::isStatusData(r.bytes.data(), r.count)) {
        applyStatus(r.bytes.data(), epoch);
    } else if (sop_ == nullptr || !sop_->hasOutputStream()) {
        ShowStat("No VCR Detected");
    } else if (r.count == 0) {
        ShowStat("No VCR Status");
    }
}

std::string LocalVCR::ExtractStatusString(const std::uint8_t* s) {
    StatusWords st = decodeStatus(s, lx1_, reviewclip_.load());
    if (DeckDisplay* d = display())
        d->showIndicators(st.highlights);
    cueup_.store(st.cueup);
    preroll_.store(st.preroll);
    local_.store(st.local);
    tapeOut_.store(st.tapeOut);
    std::lock_guard<std::mutex> lock(mutex_);
    StatusString_ = st.words;
    return st.words;
}

void LocalVCR::applyStatus(const std::uint8_t* s, unsigned epoch) {
    std::string words;
    {
        std::lock_guard<std::mutex> lock(statusMutex_);
        const bool wasCued = cueup_.load();
        words = ExtractStatusString(s);
        // Asked before the last cue frame went out: its cue-complete bit is the old cue's.
        if (cueEpoch_.load() != epoch)
            cueup_.store(wasCued);
    }
    ShowStat(words);
}

void LocalVCR::cueFrameSent() {
    std::lock_guard<std::mutex> lock(statusMutex_);
    cueEpoch_.fetch_add(1);
    cueup_.store(false);
}

void LocalVCR::publishTimeCode(const TimeCode& tc) {
    // A deck standing still sends the same time code pass after pass: its text is made and
    // stored once. The display is told every time; it ignores what it shows already.
    const int frames = tc.frameCount(settings_.frameRate);
    const bool published = tcPublished_.exchange(true);
    const bool same = tcframes_.exchange(frames) == frames && published;
    if (!same)
        fields_.setTC(tc.text());
    if (DeckDisplay* d = display())
        d->ShowTC(tc);
    ClipboardSink* clip = clipbd_.load();
    if (settings_.useclipboard && clip != nullptr)
        clip->setText(tc.text() + "\n");
}

bool LocalVCR::CommandB8() {
    const unsigned epoch = cueEpoch_.load();
    serial::ExchangeResult r = CommandB0(bsgettc);
    auto tc = protocol::decodeTimeData(r.bytes.data(), r.count);
    if (tc)
        publishTimeCode(*tc);
    else if (protocol::isTimeData(r.bytes.data(), r.count))
        core::Utils::OutLine("Time data from the deck names no time: the last time code stays");
    if (protocol::isStatusData(r.bytes.data(), r.count))
        applyStatus(r.bytes.data(), epoch);
    return tc.has_value();
}

void LocalVCR::noteReply(const serial::ExchangeResult& reply) {
    writeFailed_.store(!reply.sent);
    if (!protocol::isWholeReply(reply.bytes.data(), reply.count))
        return;
    lastValidReply_.store(std::chrono::steady_clock::now().time_since_epoch().count());
    everAnswered_.store(true);
    if (!answering_.load())
        setAnswering(true);
}

void LocalVCR::checkAnswering() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point last{Clock::duration(lastValidReply_.load())};
    if (answering_.load() && Clock::now() - last >= kAnswerLimit)
        setAnswering(false);
}

void LocalVCR::setAnswering(bool answering) {
    // One log line at each change, however many threads notice it at once.
    if (answering_.exchange(answering) == answering)
        return;
    core::Utils::OutLine(answering ? "Deck answering again" : "Deck not answering");
    if (DeckDisplay* d = display())
        d->ShowDeckAnswering(answering);
    // The operator must act on a deck that is gone: held in the status line as a failure.
    if (answering)
        ShowStat("Deck answering again");
    else
        ShowError(writeFailed_.load() ? "Deck not answering: unable to write to the serial port"
                                      : "Deck not answering");
}

void LocalVCR::GetTC() {
    if (sop_ == nullptr || !sop_->hasSerialPort())
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (tcthread_)
        return;
    tcthread_ = std::make_unique<TCThread>(*this, LANC_, recon_);
    tcthread_->start();
}

void LocalVCR::stopPolling() {
    std::unique_ptr<TCThread> thread;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!tcthread_)
            return;
        tcthread_->stopme();
        if (tcthread_->isCurrentThread())
            return;  // joined when the controller goes
        thread = std::move(tcthread_);
    }
    thread->join();  // outside the lock: the last pass may still need it
}

// Bounded whatever the deck does: a line that takes no bytes fails each write within the
// port's deadline, and then no further stop frame is tried.
int LocalVCR::closeDown() {
    closing_.store(true);
    stopPolling();
    stopCue();
    if (settings_.stoponexit && !writeFailed_.load()) {
        stop();
        if (!writeFailed_.load()) {
            DelayT(500);
            stop();
        }
    }
    return 0;
}

}  // namespace vemo::deck
