#include "platform/text/convert.h"

#include <cctype>
#include <climits>
#include <optional>

#include "platform/os/exception.h"

namespace tallyhouse::platform {

namespace {

[[noreturn]] void NotAnInteger(const std::string& text) {
    throw EConvertError("'" + text + "' ist kein g\xFCltiger Integerwert");
}

std::optional<int> ParseInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned digit;
        if (std::isdigit(c)) digit = c - '0';
        else if (base == 16 && std::isxdigit(c)) digit = static_cast<unsigned>(std::tolower(c) - 'a' + 10);
        else return std::nullopt;
        value = value * base + digit;
        if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

int StrToInt(const std::string& text) {
    const std::optional<int> value = ParseInt(text);
    if (!value) NotAnInteger(text);
    return *value;
}

int StrToIntOr(const std::string& text, int fallback) { return ParseInt(text).value_or(fallback); }

}  // namespace tallyhouse::platform
