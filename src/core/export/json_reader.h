#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A small, strict JSON reader (RFC 8259) for the files the console reads back: no comments,
// no trailing commas, no duplicate keys, nesting bounded, strings as UTF-8.
namespace vemo::core::exporter {

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // a string's value, a number's own text
    std::string key;   // the key it stands under in its object
    std::vector<JsonValue> items;
    std::vector<JsonValue> members;  // an object's, in file order, each with its key

    // The member of an object by key, or nullptr.
    const JsonValue* find(std::string_view wanted) const;
};

// The value of a whole text (blanks around it allowed); on failure nothing, and error says
// where and why ("line 3: expected ':'").
std::optional<JsonValue> parseJson(std::string_view text, std::string& error, int maxDepth = 32);

}  // namespace vemo::core::exporter
