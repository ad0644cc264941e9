#pragma once

// The main window as deck control sees it, for the deck and remote tests: every call is
// recorded as a short text ("ShowStatus:Play ", "hilight:3", "connect:on", ...).
// Header-only: it needs the deck layer, which only those programs link.

#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "deck/deck_display.h"

namespace vemo::test {

// A display that shows nothing; a test overrides only what it watches.
class QuietDeckDisplay : public deck::DeckDisplay {
  public:
    void ShowTC(const deck::TimeCode&) override {}
    void ShowStatus(const std::string&) override {}
    void clearbuttons() override {}
    void hilight(deck::Indicator) override {}
    void show() override {}
    void setCueControlsEnabled(bool) override {}
    void EnableConnect(bool) override {}
    void setcue() override {}
    void setreview() override {}
};

class FakeDeckDisplay : public deck::DeckDisplay {
  public:
    void ShowTC(const deck::TimeCode& tc) override { record("ShowTC:" + tc.text()); }
    void ShowStatus(const std::string& text) override { record("ShowStatus:" + text); }
    void clearbuttons() override {
        record("clearbuttons");
        if (onClearButtons)
            onClearButtons();
    }
    // Runs on the caller's thread as a status reply is being taken (set before use).
    std::function<void()> onClearButtons;
    void hilight(deck::Indicator control) override { record(hl(control)); }
    void show() override { record("show"); }
    void setCueControlsEnabled(bool enabled) override {
        record(enabled ? "cueControls:on" : "cueControls:off");
        std::function<void(bool)> hook;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            hook = onCueControls_;
        }
        if (hook)
            hook(enabled);
    }
    // Runs on the cue's thread as it gives the cue controls on or off.
    void setOnCueControls(std::function<void(bool)> hook) {
        std::lock_guard<std::mutex> lock(mutex_);
        onCueControls_ = std::move(hook);
    }
    void EnableConnect(bool enabled) override { record(enabled ? "connect:on" : "connect:off"); }
    void ShowDeckAnswering(bool answering) override {
        record(answering ? "deck:answering" : "deck:not answering");
    }
    void setcue() override { record("setcue"); }
    void setreview() override { record("setreview"); }

    static std::string hl(deck::Indicator c) {
        return "hilight:" + std::to_string(static_cast<int>(c));
    }

    std::vector<std::string> calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    bool has(const std::string& call) const { return count(call) > 0; }
    int count(const std::string& call) const {
        auto all = calls();
        return static_cast<int>(std::count(all.begin(), all.end(), call));
    }
    // The calls whose text starts with the prefix, in order.
    std::vector<std::string> matching(const std::string& prefix) const {
        std::vector<std::string> out;
        for (auto& c : calls()) {
            if (c.rfind(prefix, 0) == 0)
                out.push_back(c);
        }
        return out;
    }
    // The status-line texts, in order.
    std::vector<std::string> statuses() const {
        std::vector<std::string> out;
        for (auto& c : matching("ShowStatus:"))
            out.push_back(c.substr(11));
        return out;
    }
    bool saw(const std::string& status) const { return has("ShowStatus:" + status); }
    std::string lastStatus() const {
        auto all = statuses();
        return all.empty() ? std::string() : all.back();
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.clear();
    }

  private:
    std::function<void(bool)> onCueControls_;
    void record(std::string call) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(std::move(call));
    }
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

}  // namespace vemo::test
