#pragma once

#include <string>

namespace vemo::serial {

// The operating system's name as the kernel reports it ("Linux").
std::string osName();
// The processor family: "x86" for every 32/64-bit Intel-compatible machine, else uname's.
std::string osArch();

}  // namespace vemo::serial
