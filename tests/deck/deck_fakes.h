#pragma once

// Test doubles for the deck controller: the shared fake deck and recording client, a
// clipboard that records its texts, and a capture of the log lines written on standard
// output.

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/utils.h"
#include "deck/deck_display.h"
#include "deck/protocol.h"
#include "support/fake_command_port.h"
#include "support/fake_deck.h"
#include "support/fake_deck_display.h"
#include "support/stdout_capture.h"

namespace vemo::deck::test {

using vemo::test::Bytes;
using vemo::test::bytesOf;
using vemo::test::replyOf;
using vemo::test::withChecksum;

using vemo::test::FakeDeck;
using RecordingClient = vemo::test::RecordingClient;

class FakeClipboard : public ClipboardSink {
  public:
    void setText(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        texts_.push_back(text);
    }
    std::vector<std::string> texts() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
};

// The log lines written on standard output while alive.
using LogCapture = vemo::test::StdoutCapture;

}  // namespace vemo::deck::test
