// Turns UTF-8 page texts written in the source into the ISO-8859-1 bytes the program sends,
// at compile time, so the sources stay readable and the pages stay Latin-1.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace tallyhouse::app {

template <std::size_t N>
struct Latin1Text {
    std::array<char, N> bytes{};
    std::size_t size = 0;

    constexpr std::string_view View() const { return {bytes.data(), size}; }
};

// Only code points up to U+00FF exist in Latin-1; anything else stops the build.
template <std::size_t N>
consteval Latin1Text<N> ToLatin1(const char8_t (&utf8)[N]) {
    Latin1Text<N> out;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        const unsigned lead = utf8[i];
        unsigned code = lead;
        if (lead >= 0x80) {
            if ((lead & 0xE0) != 0xC0 || i + 2 >= N) throw "text outside ISO-8859-1";
            code = ((lead & 0x1F) << 6) | (static_cast<unsigned>(utf8[++i]) & 0x3F);
            if (code > 0xFF) throw "text outside ISO-8859-1";
        }
        out.bytes[out.size++] = static_cast<char>(code);
    }
    return out;
}

// Two texts one after the other, for pages that share a part.
template <std::size_t A, std::size_t B>
consteval Latin1Text<A + B> operator+(const Latin1Text<A>& first, const Latin1Text<B>& second) {
    Latin1Text<A + B> out;
    for (std::size_t i = 0; i < first.size; ++i) out.bytes[out.size++] = first.bytes[i];
    for (std::size_t i = 0; i < second.size; ++i) out.bytes[out.size++] = second.bytes[i];
    return out;
}

}  // namespace tallyhouse::app
