#pragma once

// Transport frames the window tests look for on the recording port.

#include "support/fake_command_port.h"

namespace vemo::test {

inline const Bytes kPlay{0x20, 0x01, 0x21};
inline const Bytes kPause{0x21, 0x13, 0x00, 0x34};
inline const Bytes kStop{0x20, 0x00, 0x20};
inline const Bytes kForward{0x20, 0x10, 0x30};
inline const Bytes kJogF{0x21, 0x11, 0x10, 0x42};
inline const Bytes kJogR{0x21, 0x21, 0x10, 0x52};

}  // namespace vemo::test
