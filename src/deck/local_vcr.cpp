#include "deck/local_vcr.h"

#include <algorithm>

#include "core/utils.h"
#include "deck/cue_thread.h"
#include "deck/tc_thread.h"

namespace vemo::deck {

LocalVCR::LocalVCR(serial::CommandPort* sop, core::Settings settings)
    : settings_(std::move(settings)),
      sop_(sop),
      LANC_(settings_.lanc),
      lx1_(settings_.lx1),
      recon_(settings_.recon),
      OSString_(settings_.OSString),
      PRString_(settings_.PRString),
      lastValidReply_(std::chrono::steady_clock::now().time_since_epoch().count()) {}

LocalVCR::~LocalVCR() {
    stopPolling();
    stopCue();
}

void LocalVCR::setDisplay(DeckDisplay* display) {
    localgui_.store(display);
}
void LocalVCR::setClipboard(ClipboardSink* clipboard) {
    clipbd_.store(clipboard);
}

void LocalVCR::setConnectThread(std::shared_ptr<NetClient> client) {
    std::lock_guard<std::mutex> lock(mutex_);
    connectthread_ = std::move(client);
}

std::shared_ptr<NetClient> LocalVCR::connectThread() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connectthread_;
}

std::string LocalVCR::TCString() const {
    return fields_.tc();
}

std::string LocalVCR::StatusString() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return StatusString_;
}

std::string LocalVCR::CueString() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return CueString_;
}

std::string LocalVCR::EndString() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return EndString_;
}

protocol::Frame<7> LocalVCR::bscue() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bscue_;
}

serial::ExchangeResult LocalVCR::lastReply() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastReply_;
}

std::shared_ptr<CueThread> LocalVCR::cuethread() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cuethread_;
}

serial::ExchangeResult LocalVCR::CommandB0(const std::uint8_t* frame, std::size_t size) {
    if (sop_ == nullptr)
        return {};
    serial::ExchangeResult reply = sop_->SendSerial(frame, size);
    noteReply(reply);
    std::lock_guard<std::mutex> lock(mutex_);
    lastReply_ = reply;
    return reply;
}

namespace {

// The frame's own reply, when a late reply of the frame before came ahead of it.
serial::ExchangeResult ownReply(serial::ExchangeResult r) {
    if (protocol::isWholeReply(r.bytes.data(), r.count))
        return r;
    auto at = protocol::lastOfWholeReplies(r.bytes.data(), r.count);
    if (!at || *at == 0)
        return r;
    serial::ExchangeResult own = r;
    own.bytes.fill(0);
    std::copy(r.bytes.begin() + *at, r.bytes.begin() + r.count, own.bytes.begin());
    own.count = r.count - *at;
    return own;
}

}  // namespace

serial::ExchangeResult LocalVCR::sendCommand(const std::uint8_t* frame, std::size_t size) {
    const bool known = everAnswered_.load() && answering_.load();
    serial::ExchangeResult r = ownReply(CommandB0(frame, size));
    if (!known || !r.sent || protocol::isWholeReply(r.bytes.data(), r.count))
        return r;
    return ownReply(CommandB0(frame, size));
}

// Only a deck that answers is told about: a gone deck is shown as "not answering" instead.
void LocalVCR::noteSilence(const serial::ExchangeResult& r) {
    if (!everAnswered_.load() || !answering_.load() || !r.sent ||
        protocol::isWholeReply(r.bytes.data(), r.count))
        return;
    core::Utils::OutLine("Deck did not answer a command, nor its repeat");
    ShowError("Deck did not answer");
}

void LocalVCR::ShowStat(const std::string& text) {
    if (DeckDisplay* d = display())
        d->ShowStatus(text);
}

void LocalVCR::ShowError(const std::string& text) {
    if (DeckDisplay* d = display())
        d->ShowError(text);
}

void LocalVCR::DelayT(int milliseconds) {
    if (DeckDisplay* d = display(); d != nullptr && d->waitHere(milliseconds))
        return;
    core::Utils::DelayT(milliseconds);
}

void LocalVCR::SettleDown() {
    cueplay_.store(false);
    reviewclip_.store(false);
    duration_.store(0);
}

// Every transport command belongs to the moment: a running cue or review ends (and sends
// nothing more) before the command's own frame goes out.
template <std::size_t N>
void LocalVCR::transport(const protocol::Frame<N>& frame, int movingAfter, bool settle) {
    stopCue();
    send(frame);
    if (movingAfter >= 0)
        moving_.store(movingAfter);
    if (settle)
        SettleDown();
}

void LocalVCR::sendPlay() {
    send(bsplay);
    moving_.store(1);
}

// The LX1 recorder only pauses from play: a still deck is started first.
void LocalVCR::sendPause() {
    if (lx1_ && moving_.load() == 0) {
        sendPlay();
        DelayT(500);
    }
    send(bspause);
}

void LocalVCR::sendStop() {
    send(bsstop);
    moving_.store(0);
    SettleDown();
}

void LocalVCR::play() {
    stopCue();
    sendPlay();
}

void LocalVCR::pause() {
    stopCue();
    sendPause();
}

void LocalVCR::stop() {
    stopCue();
    sendStop();
}
void LocalVCR::rewind() {
    transport(bsrewind, 1, true);
}
void LocalVCR::forward() {
    transport(bsforward, 1, true);
}
void LocalVCR::slowfifth() {
    transport(bsslowfifth, 1, true);
}
void LocalVCR::slowthird() {
    transport(bsslowthird, 1, true);
}
void LocalVCR::slowhalf() {
    transport(bsslowhalf, 1, true);
}
void LocalVCR::fasttwo() {
    transport(bsfasttwo, 1, true);
}
void LocalVCR::fastfive() {
    transport(bsfastfive, 1, true);
}
void LocalVCR::jogr() {
    transport(bsjogr, 0, true);
}
void LocalVCR::jogf() {
    transport(bsjogf, 0, true);
}
void LocalVCR::eeon() {
    transport(bseeon, 0, true);
}
void LocalVCR::eeoff() {
    transport(bseeoff, 0, true);
}
void LocalVCR::sbyon() {
    transport(bssbyon, 0, true);
}
void LocalVCR::sbyoff() {
    transport(bssbyoff, 0, true);
}

// Record toggles: a second press while recording counts as halting the deck.
void LocalVCR::record() {
    stopCue();
    send(bsrecord);
    moving_.fetch_xor(1);
    SettleDown();
}

void LocalVCR::shutfwd(int speed) {
    stopCue();
    send(protocol::shutfwdFrame(speed));
}
void LocalVCR::shutrev(int speed) {
    stopCue();
    send(protocol::shutrevFrame(speed));
}

}  // namespace vemo::deck
