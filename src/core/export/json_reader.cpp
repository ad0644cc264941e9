#include "core/export/json_reader.h"

#include <cstdlib>

#include "core/export/export_list.h"

namespace vemo::core::exporter {
namespace {
class Parser {
  public:
    Parser(std::string_view text, int maxDepth) : s_(text), maxDepth_(maxDepth) {}

    std::optional<JsonValue> document(std::string& error) {
        JsonValue v;
        blanks();
        if (value(v, 0)) {
            blanks();
            if (at_ != s_.size())
                fail("text after the value");
        }
        if (!error_.empty()) {
            error = "line " + std::to_string(line()) + ": " + error_;
            return std::nullopt;
        }
        return v;
    }

  private:
    bool fail(const std::string& why) {
        if (error_.empty())
            error_ = why;
        return false;
    }
    int line() const {
        int n = 1;
        for (std::size_t i = 0; i < at_ && i < s_.size(); ++i)
            n += s_[i] == '\n' ? 1 : 0;
        return n;
    }
    void blanks() {
        while (at_ < s_.size() &&
               (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\n' || s_[at_] == '\r'))
            ++at_;
    }
    bool take(char c) {
        blanks();
        if (at_ < s_.size() && s_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool word(std::string_view w) {
        if (s_.substr(at_, w.size()) != w)
            return fail("unknown word");
        at_ += w.size();
        return true;
    }

    bool value(JsonValue& v, int depth) {
        blanks();
        if (at_ >= s_.size())
            return fail("unexpected end");
        switch (s_[at_]) {
            case '{':
                return object(v, depth + 1);
            case '[':
                return array(v, depth + 1);
            case '"':
                v.kind = JsonValue::Kind::String;
                return string(v.text);
            case 't':
                v.kind = JsonValue::Kind::Bool;
                v.boolean = true;
                return word("true");
            case 'f':
                v.kind = JsonValue::Kind::Bool;
                return word("false");
            case 'n':
                return word("null");
            default:
                return number(v);
        }
    }

    bool object(JsonValue& v, int depth) {
        if (depth > maxDepth_)
            return fail("nested too deep");
        v.kind = JsonValue::Kind::Object;
        ++at_;
        if (take('}'))
            return true;
        do {
            blanks();
            std::string key;
            if (at_ >= s_.size() || s_[at_] != '"')
                return fail("expected a key");
            if (!string(key))
                return false;
            if (v.find(key) != nullptr)
                return fail("key \"" + key + "\" given twice");
            if (!take(':'))
                return fail("expected ':'");
            JsonValue member;
            if (!value(member, depth))
                return false;
            member.key = std::move(key);
            v.members.push_back(std::move(member));
        } while (take(','));
        return take('}') || fail("expected ',' or '}'");
    }

    bool array(JsonValue& v, int depth) {
        if (depth > maxDepth_)
            return fail("nested too deep");
        v.kind = JsonValue::Kind::Array;
        ++at_;
        if (take(']'))
            return true;
        do {
            JsonValue item;
            if (!value(item, depth))
                return false;
            v.items.push_back(std::move(item));
        } while (take(','));
        return take(']') || fail("expected ',' or ']'");
    }

    bool hex4(unsigned& code) {
        if (at_ + 4 > s_.size())
            return fail("short \\u escape");
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = s_[at_++];
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d < 0)
                return fail("bad \\u escape");
            code = code * 16 + static_cast<unsigned>(d);
        }
        return true;
    }

    static void append(std::string& out, unsigned code) {
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }

    bool escape(std::string& out) {
        if (at_ >= s_.size())
            return fail("unexpected end");
        const char c = s_[at_++];
        static constexpr std::string_view from = "\"\\/bfnrt";
        static constexpr std::string_view to = "\"\\/\b\f\n\r\t";
        if (std::size_t k = from.find(c); k != std::string_view::npos) {
            out.push_back(to[k]);
            return true;
        }
        if (c != 'u')
            return fail("bad escape");
        unsigned code = 0;
        if (!hex4(code))
            return false;
        if (code >= 0xD800 && code < 0xDC00) {
            unsigned low = 0;
            if (s_.substr(at_, 2) != "\\u" || (at_ += 2, !hex4(low)) || low < 0xDC00 ||
                low > 0xDFFF)
                return fail("lone surrogate");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return fail("lone surrogate");
        }
        append(out, code);
        return true;
    }

    bool string(std::string& out) {
        ++at_;  // the opening quote
        while (at_ < s_.size()) {
            const char c = s_[at_++];
            if (c == '"')
                return isUtf8(out) || fail("text that is not UTF-8");
            if (static_cast<unsigned char>(c) < 0x20)
                return fail("control character in a string");
            if (c != '\\')
                out.push_back(c);
            else if (!escape(out))
                return false;
        }
        return fail("unterminated string");
    }

    bool digits() {
        const std::size_t from = at_;
        while (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9')
            ++at_;
        return at_ > from;
    }

    bool number(JsonValue& v) {
        const std::size_t from = at_;
        if (at_ < s_.size() && s_[at_] == '-')
            ++at_;
        if (at_ < s_.size() && s_[at_] == '0')
            ++at_;
        else if (!digits())
            return fail("unexpected character");
        if (at_ < s_.size() && s_[at_] == '.' && (++at_, !digits()))
            return fail("bad number");
        if (at_ < s_.size() && (s_[at_] == 'e' || s_[at_] == 'E')) {
            ++at_;
            if (at_ < s_.size() && (s_[at_] == '+' || s_[at_] == '-'))
                ++at_;
            if (!digits())
                return fail("bad number");
        }
        v.kind = JsonValue::Kind::Number;
        v.text = std::string(s_.substr(from, at_ - from));
        v.number = std::strtod(v.text.c_str(), nullptr);
        return true;
    }

    std::string_view s_;
    int maxDepth_;
    std::size_t at_ = 0;
    std::string error_;
};
}  // namespace

const JsonValue* JsonValue::find(std::string_view wanted) const {
    for (const JsonValue& m : members) {
        if (m.key == wanted)
            return &m;
    }
    return nullptr;
}

std::optional<JsonValue> parseJson(std::string_view text, std::string& error, int maxDepth) {
    return Parser(text, maxDepth).document(error);
}

}  // namespace vemo::core::exporter
