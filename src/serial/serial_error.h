#pragma once

#include <stdexcept>
#include <string>

namespace vemo::serial {

// An input/output failure of a port operation; what() is the layer's message text.
class SerialError : public std::runtime_error {
  public:
    explicit SerialError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace vemo::serial
