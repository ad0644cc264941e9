#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "support/pty_pair.h"

namespace vemo::test {

using ByteVec = std::vector<std::uint8_t>;

// Plays the deck on the master side of a pty: cuts what arrives into frames of a fixed
// length and writes back whatever the policy answers to each.
class DeckResponder {
  public:
    using Policy = std::function<ByteVec(const ByteVec& frame)>;

    DeckResponder(PtyPair& pty, std::size_t frameLength, Policy policy)
        : pty_(pty), frameLength_(frameLength), policy_(std::move(policy)) {
        thread_ = std::thread([this] { run(); });
    }
    ~DeckResponder() { stop(); }
    DeckResponder(const DeckResponder&) = delete;
    DeckResponder& operator=(const DeckResponder&) = delete;

    void stop() {
        stop_.store(true);
        if (thread_.joinable())
            thread_.join();
    }
    std::vector<ByteVec> frames() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }
    std::size_t frameCount() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_.size();
    }
    // Bytes left over that never made a whole frame.
    std::size_t pendingBytes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return pending_.size();
    }

  private:
    void run() {
        while (!stop_.load()) {
            ByteVec got = pty_.readMaster(1, std::chrono::milliseconds(50));
            if (got.empty())
                continue;
            std::vector<ByteVec> whole;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                pending_.insert(pending_.end(), got.begin(), got.end());
                while (pending_.size() >= frameLength_) {
                    ByteVec frame(pending_.begin(), pending_.begin() + frameLength_);
                    pending_.erase(pending_.begin(), pending_.begin() + frameLength_);
                    frames_.push_back(frame);
                    whole.push_back(std::move(frame));
                }
            }
            for (const auto& frame : whole) {
                ByteVec reply = policy_(frame);
                if (!reply.empty())
                    pty_.writeMaster(reply);
            }
        }
    }

    PtyPair& pty_;
    std::size_t frameLength_;
    Policy policy_;
    mutable std::mutex mutex_;
    ByteVec pending_;
    std::vector<ByteVec> frames_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace vemo::test
