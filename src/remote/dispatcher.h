#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "deck/local_vcr.h"

namespace vemo::remote {

// The text command vocabulary shared by scripts and network clients. A line is taken exactly
// as it arrives (no trimming, no case change); every word and prefix is tested in turn and
// each one that matches is performed.
class Dispatcher {
  public:
    // How a "Wait" sleeps, in milliseconds. By default the controller's DelayT; the network
    // connection passes one that a server stop interrupts.
    using Waiter = std::function<void(int milliseconds)>;

    explicit Dispatcher(deck::LocalVCR& svcr, Waiter waiter = {});

    // Performs every command the line matches; true when at least one matched.
    bool ParseNetCommand(const std::string& line);
    // Sends the last time code / status words read to the connected client, if any.
    void reporttc();
    void reportstatus();

    // The seconds of a "Wait" argument: digits only (no sign, no blanks), and small enough
    // that the milliseconds fit a 32-bit signed integer; nothing otherwise.
    static std::optional<int> waitSeconds(std::string_view argument);

  private:
    void setin();
    void setout();
    void checkEntered(const std::string& text, bool outPoint);

    deck::LocalVCR& svcr_;
    Waiter waiter_;
};

}  // namespace vemo::remote
