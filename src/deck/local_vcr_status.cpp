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
    serial::ExchangeResult r = CommandB0(bsstatus);
    if (protocol::isStatusData(r.bytes.data(), r.count)) {
        ShowStat(ExtractStatusString(r.bytes.data()));
    } else if (sop_ == nullptr || !sop_->hasOutputStream()) {
        ShowStat("No VCR Detected");
    } else if (r.count == 0) {
        ShowStat("No VCR Status");
    }
}

std::string LocalVCR::ExtractStatusString(const std::uint8_t* s) {
    if (DeckDisplay* d = display())
        d->clearbuttons();
    StatusWords st = decodeStatus(s, lx1_, reviewclip_.load());
    for (Control c : st.highlights)
        hilight(c);
    cueup_.store(st.cueup);
    preroll_.store(st.preroll);
    std::lock_guard<std::mutex> lock(mutex_);
    StatusString_ = st.words;
    return st.words;
}

void LocalVCR::CommandB8() {
    serial::ExchangeResult r = CommandB0(bsgettc);
    if (auto tc = protocol::decodeTimeData(r.bytes.data(), r.count)) {
        std::string text = tc->text();
        tcframes_.store(tc->frameCount());
        {
            std::lock_guard<std::mutex> lock(mutex_);
            TCString_ = text;
        }
        fields_.setTC(text);
        if (DeckDisplay* d = display())
            d->ShowTC(text);
        ClipboardSink* clip = clipbd_.load();
        if (core::Ravlin::useclipboard && clip != nullptr)
            clip->setText(text + "\n");
    }
    if (protocol::isStatusData(r.bytes.data(), r.count)) {
        ShowStat(ExtractStatusString(r.bytes.data()));
    }
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

int LocalVCR::closeDown() {
    stopPolling();
    stopCue();
    if (core::Ravlin::stoponexit) {
        stop();
        DelayT(500);
        stop();
    }
    return 0;
}

}  // namespace vemo::deck
