// Colours as the chart stores them: 0x00BBGGRR, with a few marker values.
#pragma once

#include <cstdint>

namespace tallyhouse::platform {

using TColor = std::uint32_t;

constexpr TColor AutoColor = 0x80000000;  // no colour chosen: palette or owner decides
constexpr TColor clNone = 0x1FFFFFFF;     // nothing is drawn
constexpr TColor clDefault = 0x20000000;  // platform default colour

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

// System colours: high bit set, index in the low byte; resolved when drawing.
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clBtnShadow = 0x80000010;
constexpr TColor clBtnHighlight = 0x80000014;

constexpr std::uint8_t GetRValue(TColor c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GetGValue(TColor c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t GetBValue(TColor c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }
constexpr TColor RGB(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

// The RGB value drawn for a colour: system colours resolve to the classic Windows scheme, the
// marker bits of other values are dropped.
constexpr TColor ColorToRGB(TColor c) {
    constexpr TColor system[] = {
        0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
        0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080,
        0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xDFDFDF, 0x000000, 0xE1FFFF,
    };
    if ((c & 0x80000000u) == 0) return c & 0xFFFFFFu;
    const TColor index = c & 0xFFu;
    return index < sizeof(system) / sizeof(system[0]) ? system[index] : clBlack;
}

}  // namespace tallyhouse::platform
