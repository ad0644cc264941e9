#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/settings.h"
#include "core/status_display.h"
#include "deck/deck_display.h"
#include "deck/protocol.h"
#include "deck/time_fields.h"
#include "deck/timecode.h"
#include "serial/command_port.h"

namespace vemo::deck {

class TCThread;
class CueThread;

// The one deck controller: transport operations, status and time-code read-back, cueing and
// clip review. Every operation may be called from any thread; frames are serialised by the
// command port's exchange.
class LocalVCR : public core::StatusDisplay {
  public:
    // The command table, shared read-only by every thread.
    static constexpr const protocol::Frame<3>& bsplay = protocol::bsplay;
    static constexpr const protocol::Frame<4>& bspause = protocol::bspause;
    static constexpr const protocol::Frame<3>& bsrecord = protocol::bsrecord;
    static constexpr const protocol::Frame<3>& bsstop = protocol::bsstop;
    static constexpr const protocol::Frame<3>& bsforward = protocol::bsforward;
    static constexpr const protocol::Frame<3>& bsrewind = protocol::bsrewind;
    static constexpr const protocol::Frame<4>& bsslowfifth = protocol::bsslowfifth;
    static constexpr const protocol::Frame<4>& bsslowthird = protocol::bsslowthird;
    static constexpr const protocol::Frame<4>& bsslowhalf = protocol::bsslowhalf;
    static constexpr const protocol::Frame<4>& bsfasttwo = protocol::bsfasttwo;
    static constexpr const protocol::Frame<4>& bsfastfive = protocol::bsfastfive;
    static constexpr const protocol::Frame<4>& bsjogf = protocol::bsjogf;
    static constexpr const protocol::Frame<4>& bsjogr = protocol::bsjogr;
    static constexpr const protocol::Frame<3>& bssbyon = protocol::bssbyon;
    static constexpr const protocol::Frame<3>& bssbyoff = protocol::bssbyoff;
    static constexpr const protocol::Frame<3>& bseeon = protocol::bseeon;
    static constexpr const protocol::Frame<3>& bseeoff = protocol::bseeoff;
    static constexpr const protocol::Frame<5>& bsshutfwd = protocol::bsshutfwd;
    static constexpr const protocol::Frame<5>& bsshutrev = protocol::bsshutrev;
    static constexpr const protocol::Frame<4>& bsstatus = protocol::bsstatus;
    static constexpr const protocol::Frame<4>& bsgettc = protocol::bsgettc;
    static constexpr const protocol::Frame<4>& bssettimemode = protocol::bssettimemode;

    // With no valid reply for this long the deck is "not answering".
    static constexpr std::chrono::milliseconds kAnswerLimit{1000};
    // What GetTC and Status answer a network client while the deck is not answering.
    static constexpr const char* kNoDeckReply = "no deck";

    // Field defaults, deck-type flags and texts come from the settings, kept for the run.
    LocalVCR(serial::CommandPort* sop, core::Settings settings);
    ~LocalVCR() override;
    LocalVCR(const LocalVCR&) = delete;
    LocalVCR& operator=(const LocalVCR&) = delete;

    // Wiring done by the window layer during construction (steps 2 and 7).
    void setDisplay(DeckDisplay* display);
    void setClipboard(ClipboardSink* clipboard);
    DeckDisplay* display() const { return localgui_.load(); }

    // Steps 5 and 6 of construction: log "Ready", show " Ready", send the timer-mode frame.
    void announceReady();

    // The shared tcfield / cuefield / endfield store.
    TimeFields& fields() { return fields_; }

    // Transport (each sends one frame through CommandB0).
    void play();
    void pause();
    void stop();
    void rewind();
    void forward();
    void slowfifth();
    void slowthird();
    void slowhalf();
    void fasttwo();
    void fastfive();
    void jogr();
    void jogf();
    void eeon();
    void eeoff();
    void sbyon();
    void sbyoff();
    void record();
    void shutfwd(int speed);
    void shutrev(int speed);

    void SettleDown();
    void status();
    void CommandStatus();
    // True when a valid time code was taken.
    bool CommandB8();
    // A time code read from the deck, to every place that keeps or shows it: the frame count
    // the cue thread compares, the field store, the display, the clipboard.
    void publishTimeCode(const TimeCode& tc);
    std::string ExtractStatusString(const std::uint8_t* s);
    // Sends one frame; the reply and its count stay together in the result.
    serial::ExchangeResult CommandB0(const std::uint8_t* frame, std::size_t size);
    template <std::size_t N>
    serial::ExchangeResult CommandB0(const protocol::Frame<N>& frame) {
        return CommandB0(frame.data(), N);
    }
    void ShowStat(const std::string& text) override;
    // A failure the operator must act on: held in the status line, in the error colour.
    void ShowError(const std::string& text);
    void DelayT(int milliseconds);

    // Sequenced mode (a script or a review-all); switching it on clears an earlier abort.
    void setscriptactive(bool on) {
        if (on)
            sequenceAborted_.store(false);
        scriptactive_.store(on);
    }
    // Ends a sequenced review at once: its cue thread sends nothing more and the review
    // reports no success. Takes no lock the window thread may hold, so a wait on that
    // thread may call it.
    void abortSequence();
    bool sequenceAborted() const { return sequenceAborted_.load(); }
    bool getscriptactive() const { return scriptactive_.load(); }

    // Starts the polling thread once, when the command port is open.
    void GetTC();
    // Stops and joins the polling thread (window closing); safe to call twice.
    void stopPolling();
    // Ends a running cue thread (it sends no further frame) and joins it.
    void stopCue();
    // Marks the deck not answering once no valid reply has come for kAnswerLimit (the
    // polling thread asks on every pass); a valid reply marks it answering again.
    void checkAnswering();
    bool deckAnswering() const { return answering_.load(); }
    // Closing the main window: stop polling, stop the deck twice when stoponexit; the
    // caller then ends the process with the returned exit code (0).
    int closeDown();

    // A time text as it enters an in point (or an out point): false, with the reason on the
    // status line, when it is not a time code or names no real time.
    bool checkTimeText(const std::string& text, bool outPoint) {
        return isTimeCode(text, outPoint ? kEndWhat : kCueWhat);
    }

    // Cueing and review.
    bool MakeCueString();
    bool MakeCueOutString();
    bool cue();
    bool cueout();
    bool cueplay();
    bool CueUp();
    bool reviewclip();
    void erase() {}
    void setreview() {}
    void MakeReviewString() {}

    // Network client that receives replies and cue progress words (none when absent).
    void setConnectThread(std::shared_ptr<NetClient> client);
    std::shared_ptr<NetClient> connectThread() const;
    void setLoggerMarks(LoggerMarks* logger) { loggergui_.store(logger); }
    LoggerMarks* loggerMarks() const { return loggergui_.load(); }

    // State read across threads.
    std::string TCString() const;
    std::string StatusString() const;
    int tcframes() const { return tcframes_.load(); }
    bool cueup() const { return cueup_.load(); }
    // What the last status read said of the deck itself: switched to LOCAL (it takes no
    // commands from the console), no tape in it.
    bool deckLocal() const { return local_.load(); }
    bool tapeOut() const { return tapeOut_.load(); }
    bool preroll() const { return preroll_.load(); }
    bool cueplayFlag() const { return cueplay_.load(); }
    bool reviewclipFlag() const { return reviewclip_.load(); }
    int moving() const { return moving_.load(); }
    int duration() const { return duration_.load(); }
    int durationsec() const { return durationsec_.load(); }
    int durationfr() const { return durationfr_.load(); }
    int startframes() const { return startframes_.load(); }
    int endframes() const { return endframes_.load(); }
    bool isLX1() const { return lx1_; }
    bool isRecon() const { return recon_; }
    bool isLANC() const { return LANC_; }
    // The settings the console started with; the windows take what they show from them.
    const core::Settings& settings() const { return settings_; }
    serial::CommandPort* port() const { return sop_; }
    std::shared_ptr<CueThread> cuethread() const;
    std::string CueString() const;
    std::string EndString() const;
    // The cue frame as last filled (from the in point, the out point or a review).
    protocol::Frame<7> bscue() const;
    // Reply bytes and count of the last exchange of any thread, for inspection only.
    serial::ExchangeResult lastReply() const;

  private:
    friend class TCThread;
    friend class CueThread;

    // A command frame (transport or cue): one that went out and got no whole reply from a deck
    // that has answered before is sent once more, as both are harmless to repeat. The result
    // is that of the last exchange.
    serial::ExchangeResult sendCommand(const std::uint8_t* frame, std::size_t size);
    template <std::size_t N>
    serial::ExchangeResult sendCommand(const protocol::Frame<N>& frame) {
        return sendCommand(frame.data(), N);
    }
    // A command frame whose second silence is told to the operator and the log.
    template <std::size_t N>
    void send(const protocol::Frame<N>& frame) {
        noteSilence(sendCommand(frame));
    }
    void noteSilence(const serial::ExchangeResult& r);
    // Keeps the deck-answering state from every exchange.
    void noteReply(const serial::ExchangeResult& reply);
    void setAnswering(bool answering);
    // Takes a status reply; its cue-complete bit counts only when no cue frame went out
    // after the reply was asked for (epoch: cueEpoch_ when the status frame was sent).
    void applyStatus(const std::uint8_t* s, unsigned epoch);
    // The cue thread's cue frame has been exchanged: cue complete is false from here on.
    void cueFrameSent();
    // The transport frames without ending a cue (for the cue sequence itself).
    void sendPlay();
    void sendPause();
    void sendStop();
    // A transport frame with its effect on moving (-1 keeps it) and SettleDown.
    template <std::size_t N>
    void transport(const protocol::Frame<N>& frame, int movingAfter, bool settle);
    // Fills bscue from a field text; shows what is wrong when the text is not a time code.
    bool fillCue(const std::string& text, const char* what);
    // Cue, cue-and-play and cue-out: the point is read from its field once, checked, and
    // that very text is cued, however the field changes meanwhile.
    bool cueTo(TimeFields::Field field, bool play);
    bool isTimeCode(const std::string& text, const char* what);
    // The time a field text names; nothing, with the reason shown, for a text that is not a
    // time code or names no real time.
    std::optional<TimeCode> checkedTime(const std::string& text, const char* what);
    // Cue-thread lifecycle, under cueMutex_. Every entry under the lock starts a new cue
    // generation; a wait drops the lock, and an operation whose generation has passed by
    // then gives way to the newer one.
    using CueLock = std::unique_lock<std::mutex>;
    CueLock lockCue();
    void endCueLocked();
    // noReview: a review with no length, carried out as a plain cue that says so at its end.
    bool startCueLocked(CueLock& lock, bool noReview = false);
    // Waits with the cue lock released; false when another cue operation came meanwhile or
    // the sequence under way was aborted.
    bool settleUnlocked(CueLock& lock, int milliseconds);

    static constexpr const char* kCueWhat = "Cue point";
    static constexpr const char* kEndWhat = "Out point";

    const core::Settings settings_;
    serial::CommandPort* sop_;
    const bool LANC_;
    const bool lx1_;
    const bool recon_;
    std::atomic<DeckDisplay*> localgui_{nullptr};
    std::atomic<ClipboardSink*> clipbd_{nullptr};
    std::atomic<LoggerMarks*> loggergui_{nullptr};
    TimeFields fields_;

    mutable std::mutex mutex_;  // guards the texts and thread handles below
    std::string StatusString_;
    std::string CueString_ = "00:00:00:00";
    std::string EndString_ = "00:00:00:00";
    std::string OSString_;
    std::string PRString_;
    std::shared_ptr<NetClient> connectthread_;
    std::unique_ptr<TCThread> tcthread_;
    std::shared_ptr<CueThread> cuethread_;
    protocol::Frame<7> bscue_ = protocol::bscue;
    serial::ExchangeResult lastReply_;  // SerIn and NumBytes of the last exchange
    // Serialises starting and ending cue threads; never taken by a cue thread itself, so a
    // holder may join one. Taken before mutex_ when both are needed. Never held across a
    // wait: a wait on the window thread runs its event loop, and no other thread may be
    // kept from a command for the length of a settle.
    std::mutex cueMutex_;
    std::uint64_t cueGeneration_ = 0;  // under cueMutex_
    // Wakes a settle off the window thread when a newer cue operation or closing comes.
    std::condition_variable cueChanged_;
    std::atomic<bool> closing_{false};

    std::atomic<int> moving_{0};
    std::atomic<bool> cueup_{false};
    std::atomic<bool> preroll_{false};
    std::atomic<bool> local_{false};
    std::atomic<bool> tapeOut_{false};
    std::atomic<bool> cueplay_{false};
    std::atomic<bool> reviewclip_{false};
    std::atomic<int> duration_{0};
    std::atomic<int> durationsec_{0};
    std::atomic<int> durationfr_{0};
    std::atomic<int> tcframes_{0};
    std::atomic<bool> tcPublished_{false};  // a time code has been read and stored
    std::atomic<int> startframes_{0};
    std::atomic<int> endframes_{0};
    std::atomic<bool> scriptactive_{false};
    std::atomic<bool> sequenceAborted_{false};

    std::mutex statusMutex_;  // orders cue-complete updates against cue frames
    std::atomic<unsigned> cueEpoch_{0};
    std::atomic<bool> answering_{true};
    std::atomic<bool> everAnswered_{false};  // a whole reply has come at least once
    std::atomic<bool> writeFailed_{false};   // the last frame did not go out
    std::atomic<std::chrono::steady_clock::rep> lastValidReply_;
};

}  // namespace vemo::deck
