// Reviewing one clip or all clips through the deck controller.
#include <QScrollBar>
#include <algorithm>

#include "core/utils.h"
#include "deck/local_vcr.h"
#include "ui/logger_gui.h"
#include "ui/logger_layout.h"

namespace vemo::ui {
namespace {

// Sequenced mode for the length of a review-all, switched off again however it ends.
class SequencedMode {
  public:
    explicit SequencedMode(deck::LocalVCR& svcr) : svcr_(svcr) { svcr_.setscriptactive(true); }
    ~SequencedMode() { svcr_.setscriptactive(false); }
    SequencedMode(const SequencedMode&) = delete;
    SequencedMode& operator=(const SequencedMode&) = delete;

  private:
    deck::LocalVCR& svcr_;
};

}  // namespace

void LoggerGUI::ReviewClip() {
    Busy busy(*this);
    const auto i = static_cast<std::size_t>(vsbval_);
    svcr_.fields().setCue(edl_.table.SrcInArray[i]);
    svcr_.fields().setEnd(edl_.table.SrcOutArray[i]);
    core::Utils::OutLine("Review EDL Clip " + std::to_string(i + 1));
    svcr_.reviewclip();  // a time text it cannot use is shown in the status line
}

void LoggerGUI::RevAll() {
    Busy busy(*this);
    // The operator's Stop or a quit ends the sequence inside the review in progress.
    SequenceScope sequence("Review ALL", [this] { svcr_.abortSequence(); });
    {
        SequencedMode sequenced(svcr_);
        reviewAll(sequence.token());
    }
    showReviewing(-1);
    if (showSequenceText)
        showSequenceText("");
    if (sequence.ending() == SequenceScope::Ending::OperatorStop)
        svcr_.stop();
}

int LoggerGUI::clipsToReview() const {
    // Entry 100 is never reviewed; the first entry without an out point ends the list.
    int count = 0;
    while (count < core::LoggerTable::NumEntries - 1 &&
           edl_.table.SrcOutArray[static_cast<std::size_t>(count)] != core::LoggerTable::TCString)
        ++count;
    return count;
}

void LoggerGUI::reviewAll(std::stop_token stop) {
    const int clips = clipsToReview();
    for (int n = 0; n < clips && !stop.stop_requested(); ++n) {
        const auto i = static_cast<std::size_t>(n);
        svcr_.fields().setCue(edl_.table.SrcInArray[i]);
        svcr_.fields().setEnd(edl_.table.SrcOutArray[i]);
        core::Utils::OutLine("Review EDL Clip " + std::to_string(i + 1));
        showReviewing(n);
        if (showSequenceText) {
            const std::string& name = edl_.table.ClipNameArray[i];
            showSequenceText("Reviewing " + std::to_string(n + 1) + " of " + std::to_string(clips) +
                             (name.empty() ? "" : ": " + name));
        }
        // In sequenced mode this returns once the clip has played to its out point. A clip
        // the deck cannot review (its message is in the status line) ends the sequence.
        if (!svcr_.reviewclip())
            break;
    }
}

void LoggerGUI::showReviewing(int e) {
    reviewing_ = e;
    const bool inView = e >= vsbval_ && e < vsbval_ + logger::NumRows;
    if (e >= 0 && !inView) {
        // The clip comes into the first row, or as near it as the grid scrolls.
        vsb_->setValue(std::min(e, logger::vsbMaximum));
    }
    refreshLooks();
}

}  // namespace vemo::ui
