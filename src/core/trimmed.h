#pragma once

#include <string_view>

namespace vemo::core {

// The text without the blanks and tabs at either end.
inline std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace vemo::core
