#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "remote/ser_in_port.h"

namespace vemo::deck {
class LocalVCR;
class DeckDisplay;
}  // namespace vemo::deck

namespace vemo::remote {

// Opens the auxiliary controller port for the deck controller and starts its thread: the
// running port, or nullptr when the port is not available. On failure it logs why, then
// hands the explanation lines (which problem it is, what to do) to explain, then waits
// failWaitMs milliseconds so the operator can read them; the caller then ends the process
// with exit code 0. The returned port must be stopped (or destroyed) before
// the controller and the window go away.
std::unique_ptr<SerInPort> startAuxPort(
    deck::LocalVCR& svcr, deck::DeckDisplay* gui, const std::string& port, int failWaitMs = 5000,
    const std::function<void(const std::vector<std::string>&)>& explain = {});

}  // namespace vemo::remote
