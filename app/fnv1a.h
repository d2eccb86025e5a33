// FNV-1a, 64 bits: short keys (answers, chart keys) hash well with a plain byte loop.
#pragma once

#include <cstdint>
#include <string_view>

namespace tallyhouse::app {

constexpr std::uint64_t kFnv1aBasis = 14695981039346656037ull;

inline std::uint64_t Fnv1a(std::string_view text, std::uint64_t hash = kFnv1aBasis) {
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

}  // namespace tallyhouse::app
