#include "image/gif/color_reduction.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tallyhouse::image {

using namespace tallyhouse::platform;

namespace {

using Rgb = std::uint32_t;  // 0x00RRGGBB

Rgb PixelAt(const std::uint8_t* p) { return (Rgb{p[0]} << 16) | (Rgb{p[1]} << 8) | Rgb{p[2]}; }

int Distance(Rgb a, Rgb b) {
    const int dr = static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF);
    const int dg = static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF);
    const int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
    return dr * dr + dg * dg + db * db;
}

std::unordered_map<Rgb, std::size_t> CountColors(const TBitmap& bitmap) {
    std::unordered_map<Rgb, std::size_t> counts;
    const std::size_t pixels = static_cast<std::size_t>(bitmap.Width()) * static_cast<std::size_t>(bitmap.Height());
    const std::uint8_t* p = bitmap.Data();
    for (std::size_t i = 0; i < pixels; ++i, p += 3) ++counts[PixelAt(p)];
    return counts;
}

// Most used first; equal counts by colour value, so the result does not depend on hashing.
std::vector<Rgb> ByUse(const std::unordered_map<Rgb, std::size_t>& counts) {
    std::vector<std::pair<Rgb, std::size_t>> entries(counts.begin(), counts.end());
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    std::vector<Rgb> colors;
    colors.reserve(entries.size());
    for (const auto& entry : entries) colors.push_back(entry.first);
    return colors;
}

Rgb Nearest(Rgb color, const std::vector<Rgb>& kept) {
    Rgb best = kept.front();
    int bestDistance = std::numeric_limits<int>::max();
    for (Rgb candidate : kept) {
        const int d = Distance(color, candidate);
        if (d < bestDistance) {
            bestDistance = d;
            best = candidate;
        }
    }
    return best;
}

}  // namespace

void ReduceColors(TBitmap& bitmap, int maxColors) {
    const std::unordered_map<Rgb, std::size_t> counts = CountColors(bitmap);
    if (maxColors < 1 || counts.size() <= static_cast<std::size_t>(maxColors)) return;
    std::vector<Rgb> colors = ByUse(counts);
    const std::vector<Rgb> kept(colors.begin(), colors.begin() + maxColors);
    std::unordered_map<Rgb, Rgb> replacement;
    for (std::size_t i = kept.size(); i < colors.size(); ++i) replacement[colors[i]] = Nearest(colors[i], kept);
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* p = bitmap.Row(y);
        for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
            const auto found = replacement.find(PixelAt(p));
            if (found == replacement.end()) continue;
            p[0] = static_cast<std::uint8_t>(found->second >> 16);
            p[1] = static_cast<std::uint8_t>(found->second >> 8);
            p[2] = static_cast<std::uint8_t>(found->second);
        }
    }
}

}  // namespace tallyhouse::image
