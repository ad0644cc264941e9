#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vemo::core {

// A key/value table read from a properties text in ISO 8859-1: "=", ":" or a blank between
// key and value, "#"/"!" comment lines, a trailing backslash continues a line, escapes
// ("\t", "\n", "\uXXXX", "\x" for any other x), the last of duplicate keys wins. Keys and
// values come back as UTF-8.
struct PropertiesTable {
    std::map<std::string, std::string> entries;
    // One readable line for each malformed piece of input (taken as written, never dropped).
    std::vector<std::string> problems;
};

PropertiesTable parseProperties(std::string_view latin1);

// Appends the UTF-8 form of one code point.
void appendUtf8(std::string& out, char32_t cp);

}  // namespace vemo::core
