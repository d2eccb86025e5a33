// FormatNumber: digits from a 15-significant-digit decimal form, rounded half away from zero.
#include "chart/model/format_number.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace tallyhouse::chart {

namespace {

struct Pattern {
    std::string prefix;
    std::string suffix;
    int minIntDigits = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool thousands = false;
    bool hasDigits = false;
};

bool IsDigitMark(char c) { return c == '0' || c == '#'; }

Pattern ParsePattern(std::string_view format) {
    Pattern p;
    const auto first = format.find_first_of("0#.,");
    const auto last = format.find_last_of("0#");
    if (first == std::string_view::npos || last == std::string_view::npos || last < first) {
        p.prefix = std::string(format);
        return p;
    }
    p.hasDigits = true;
    p.prefix = std::string(format.substr(0, first));
    p.suffix = std::string(format.substr(last + 1));
    bool decimals = false;
    for (std::size_t i = first; i <= last; ++i) {
        const char c = format[i];
        if (c == '.') {
            decimals = true;
        } else if (c == ',' && !decimals) {
            p.thousands = true;
        } else if (IsDigitMark(c) && decimals) {
            ++p.maxDecimals;
            if (c == '0') p.minDecimals = p.maxDecimals;
        } else if (c == '0') {
            ++p.minIntDigits;
        }
    }
    return p;
}

// The magnitude as decimal digits and the count of digits before the point, rounded to decimals.
struct Digits {
    std::string digits;  // without leading zeros; may be empty for zero
    int intCount = 0;    // digits before the decimal point (may be <= 0)
};

Digits RoundedDigits(double magnitude, int decimals) {
    // The value exactly rounded to 15 significant digits, as "%.14e" prints it, without
    // printf's arbitrary-precision arithmetic.
    char buffer[40];
    *std::to_chars(buffer, buffer + sizeof buffer - 1, magnitude, std::chars_format::scientific, 14).ptr = '\0';
    std::string digits;
    const char* p = buffer;
    for (; *p != 'e'; ++p)
        if (*p != '.') digits += *p;
    int intCount = std::atoi(p + 1) + 1;
    const int keep = intCount + decimals;
    if (keep < 0) return {};
    if (keep < static_cast<int>(digits.size())) {
        const bool up = digits[static_cast<std::size_t>(keep)] >= '5';
        digits.resize(static_cast<std::size_t>(keep));
        if (up) {
            int i = keep - 1;
            for (; i >= 0 && digits[static_cast<std::size_t>(i)] == '9'; --i) digits[static_cast<std::size_t>(i)] = '0';
            if (i >= 0) {
                ++digits[static_cast<std::size_t>(i)];
            } else {
                digits.insert(digits.begin(), '1');
                ++intCount;
            }
        }
    }
    if (digits.find_first_not_of('0') == std::string::npos) return {};
    return {digits, intCount};
}

std::string IntegerPart(const Digits& d, const Pattern& p) {
    std::string text;
    for (int i = 0; i < d.intCount; ++i)
        text += i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0';
    const auto nonZero = text.find_first_not_of('0');
    text = nonZero == std::string::npos ? std::string() : text.substr(nonZero);
    if (static_cast<int>(text.size()) < p.minIntDigits)
        text.insert(0, static_cast<std::size_t>(p.minIntDigits) - text.size(), '0');
    if (!p.thousands) return text;
    std::string grouped;
    const int n = static_cast<int>(text.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) grouped += ',';
        grouped += text[static_cast<std::size_t>(i)];
    }
    return grouped;
}

std::string DecimalPart(const Digits& d, const Pattern& p) {
    std::string text;
    for (int i = 0; i < p.maxDecimals; ++i) {
        const int index = d.intCount + i;
        const bool inside = index >= 0 && index < static_cast<int>(d.digits.size());
        text += inside ? d.digits[static_cast<std::size_t>(index)] : '0';
    }
    while (static_cast<int>(text.size()) > p.minDecimals && text.back() == '0') text.pop_back();
    return text;
}

}  // namespace

namespace {

std::string Formatted(const std::string& format, double value) {
    const Pattern p = ParsePattern(format);
    if (!p.hasDigits) return p.prefix;
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    const Digits d = RoundedDigits(std::fabs(value), p.maxDecimals);
    const std::string decimals = DecimalPart(d, p);
    std::string text = d.digits.empty() || value >= 0 ? std::string() : std::string("-");
    text += p.prefix + IntegerPart(d, p);
    if (!decimals.empty()) text += "." + decimals;
    return text + p.suffix;
}

}  // namespace

// A chart formats the same few numbers again and again (every point of a poll of single answers
// has the count 1 and the same percentage, each in a format of its own), so the last few texts
// are kept.
std::string FormatNumber(const std::string& format, double value) {
    struct Kept {
        std::string format;
        std::uint64_t value = 0;
        std::string text;
        bool known = false;
    };
    thread_local std::array<Kept, 4> kept;
    thread_local std::size_t next = 0;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (const Kept& k : kept)
        if (k.known && k.value == bits && k.format == format) return k.text;
    Kept& k = kept[next];
    k.text = Formatted(format, value);
    k.format = format;
    k.value = bits;
    k.known = true;
    next = (next + 1) % kept.size();
    return k.text;
}

}  // namespace tallyhouse::chart
