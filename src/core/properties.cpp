#include "core/properties.h"

#include "core/line_reader.h"

namespace vemo::core {
namespace {

bool isBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\f';
}

int hexValue(char32_t c) {
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

// The text's natural lines, Latin-1 bytes as code points.
std::vector<std::u32string> naturalLines(std::string_view latin1) {
    std::vector<std::u32string> lines;
    for (const std::string& line : splitLines(latin1)) {
        std::u32string wide;
        wide.reserve(line.size());
        for (char c : line)
            wide.push_back(static_cast<unsigned char>(c));
        lines.push_back(std::move(wide));
    }
    return lines;
}

// The number of backslashes the text ends in; an odd number continues the line.
std::size_t trailingBackslashes(const std::u32string& text) {
    std::size_t n = 0;
    for (auto it = text.rbegin(); it != text.rend() && *it == '\\'; ++it)
        ++n;
    return n;
}

std::size_t skipBlanks(const std::u32string& s, std::size_t pos) {
    while (pos < s.size() && isBlank(s[pos]))
        ++pos;
    return pos;
}

// Resolves the escapes of one key or value into UTF-8.
std::string unescape(const std::u32string& s, int lineNo, std::vector<std::string>& problems) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c != '\\' || i + 1 >= s.size()) {
            appendUtf8(out, c);
            continue;
        }
        char32_t e = s[++i];
        switch (e) {
            case 't':
                out.push_back('\t');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'u': {
                int value = 0;
                bool ok = i + 4 < s.size();  // four digits follow the "u"
                for (std::size_t k = 1; ok && k <= 4; ++k) {
                    int h = hexValue(s[i + k]);
                    if (h < 0)
                        ok = false;
                    value = value * 16 + h;
                }
                if (ok) {
                    appendUtf8(out, static_cast<char32_t>(value));
                    i += 4;
                } else {
                    problems.push_back("Settings file line " + std::to_string(lineNo) +
                                       ": malformed \\u escape, taken as written");
                    out.push_back('u');
                }
                break;
            }
            default:
                appendUtf8(out, e);
                break;
        }
    }
    return out;
}

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

PropertiesTable parseProperties(std::string_view latin1) {
    PropertiesTable table;
    std::vector<std::u32string> lines = naturalLines(latin1);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        int lineNo = static_cast<int>(n) + 1;
        std::size_t start = skipBlanks(lines[n], 0);
        if (start >= lines[n].size())
            continue;  // empty line
        char32_t first = lines[n][start];
        if (first == '#' || first == '!')
            continue;  // comment

        // Join continuation lines; the leading blanks of each following line are dropped.
        // The run of trailing backslashes is carried along rather than counted again, so
        // a chain of lines of backslashes costs time in proportion to its length.
        std::u32string logical = lines[n].substr(start);
        std::size_t trailing = trailingBackslashes(logical);
        while (trailing % 2 == 1) {
            logical.pop_back();
            --trailing;
            if (n + 1 >= lines.size())
                break;
            ++n;
            std::u32string next = lines[n].substr(skipBlanks(lines[n], 0));
            std::size_t own = trailingBackslashes(next);
            trailing = own == next.size() ? trailing + own : own;
            logical += next;
        }

        // The key ends at the first unescaped "=", ":" or blank.
        std::size_t pos = 0;
        while (pos < logical.size()) {
            char32_t c = logical[pos];
            if (c == '\\') {
                pos += 2;
                continue;
            }
            if (c == '=' || c == ':' || isBlank(c))
                break;
            ++pos;
        }
        std::size_t keyEnd = std::min(pos, logical.size());
        std::size_t valuePos = skipBlanks(logical, keyEnd);
        if (valuePos < logical.size() && (logical[valuePos] == '=' || logical[valuePos] == ':')) {
            valuePos = skipBlanks(logical, valuePos + 1);
        }
        std::string key = unescape(logical.substr(0, keyEnd), lineNo, table.problems);
        std::string value = valuePos < logical.size()
                                ? unescape(logical.substr(valuePos), lineNo, table.problems)
                                : std::string();
        table.entries[key] = value;
    }
    return table;
}

}  // namespace vemo::core
