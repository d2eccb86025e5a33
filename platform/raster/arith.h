// The chart's integer arithmetic: banker's rounding, truncation and a 64-bit multiply-divide.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace tallyhouse::platform {

// The nearest integral value, ties to even (the default rounding mode): nearbyintl without its
// library call, which views of huge polls pay for millions of projected points.
inline long double RoundHalfEven(long double value) {
#if defined(__x86_64__) || defined(__i386__)
    long double r;
    asm("frndint" : "=t"(r) : "0"(value));
    return r;
#else
    return std::nearbyintl(value);
#endif
}

// Nearest integer, ties to even, saturated to the int range so far-off geometry cannot overflow.
inline int Round(long double value) {
    if (!(value == value)) return 0;
    const long double r = RoundHalfEven(value);
    if (r >= static_cast<long double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (r <= static_cast<long double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

// Toward zero, saturated like Round.
inline int Trunc(long double value) {
    if (!(value == value)) return 0;
    if (value >= static_cast<long double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (value <= static_cast<long double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

// a * b / c with a 64-bit intermediate, rounded half away from zero; -1 when c is 0.
inline int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::uint64_t num = product < 0 ? static_cast<std::uint64_t>(-product) : static_cast<std::uint64_t>(product);
    const std::uint64_t den = c < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(c)) : static_cast<std::uint64_t>(c);
    std::uint64_t q = num / den;
    if ((num % den) * 2 >= den) ++q;
    const std::int64_t result = negative ? -static_cast<std::int64_t>(q) : static_cast<std::int64_t>(q);
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min()) return -1;
    return static_cast<int>(result);
}

}  // namespace tallyhouse::platform
