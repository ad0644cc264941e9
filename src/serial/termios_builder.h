#pragma once

#include <termios.h>

#include <optional>

#include "serial/serial_config.h"

namespace vemo::serial {

// The terminal settings for a configuration, built on top of base: a raw 8-bit clean line
// (no echo, no line editing, no signals, no translation either way, reads never block) with
// the configuration's bit rate, framing and handshake. Nothing when the configuration asks
// for something the driver cannot do.
std::optional<termios> buildTermios(const SerialConfig& config, const termios& base = {});

// The driver speed for a bit-rate code; B0 for an unknown code.
speed_t speedFor(int bitRateCode);

}  // namespace vemo::serial
