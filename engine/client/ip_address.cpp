#include "engine/client/ip_address.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>

namespace tallyhouse::engine {

namespace {

constexpr int kV4Offset = 96;  // an IPv4 address's first bit within the mapped form

constexpr std::array<std::uint8_t, 12> kMappedPrefix{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};

// inet_pton needs a terminated string; longer texts are no address anyway.
bool Terminated(std::string_view text, char (&out)[INET6_ADDRSTRLEN]) {
    if (text.empty() || text.size() >= sizeof out) return false;
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = '\0';
    return true;
}

// Keeps the first bits of the 128 of the mapped form.
TIpAddress Masked(TIpAddress address, int bits) {
    for (int byte = 0; byte < 16; ++byte)
        address.Bytes[byte] &= static_cast<std::uint8_t>(0xFF00 >> std::clamp(bits - byte * 8, 0, 8));
    return address;
}

}  // namespace

bool TIpAddress::IsV4() const { return std::equal(kMappedPrefix.begin(), kMappedPrefix.end(), Bytes.begin()); }

std::optional<TIpAddress> ParseIpAddress(std::string_view text) {
    char terminated[INET6_ADDRSTRLEN];
    if (!Terminated(text, terminated)) return std::nullopt;
    TIpAddress address;
    if (inet_pton(AF_INET, terminated, address.Bytes.data() + 12) == 1) {
        std::copy(kMappedPrefix.begin(), kMappedPrefix.end(), address.Bytes.begin());
        return address;
    }
    if (inet_pton(AF_INET6, terminated, address.Bytes.data()) == 1) return address;
    return std::nullopt;
}

std::string FormatIpAddress(const TIpAddress& address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.IsV4())
        inet_ntop(AF_INET, address.Bytes.data() + 12, text, sizeof text);
    else
        inet_ntop(AF_INET6, address.Bytes.data(), text, sizeof text);
    return text;
}

TIpAddress KeepPrefix(const TIpAddress& address, int bits) {
    return Masked(address, address.IsV4() ? bits + kV4Offset : bits);
}

bool TIpRange::Contains(const TIpAddress& address) const {
    return Masked(address, Bits) == Base;
}

std::optional<TIpRange> ParseIpRange(std::string_view text) {
    const size_t slash = text.find('/');
    const std::optional<TIpAddress> address = ParseIpAddress(text.substr(0, slash));
    if (!address) return std::nullopt;
    const int width = address->IsV4() ? 32 : 128;
    int bits = width;
    if (slash != std::string_view::npos) {
        const std::string_view digits = text.substr(slash + 1);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), bits);
        if (digits.empty() || digits.size() > 3 || error != std::errc() || end != digits.data() + digits.size() ||
            bits < 0 || bits > width)
            return std::nullopt;
    }
    TIpRange range;
    range.Base = KeepPrefix(*address, bits);
    range.Bits = address->IsV4() ? bits + kV4Offset : bits;
    return range;
}

std::string ShortAddress(std::string_view text) {
    const std::optional<TIpAddress> address = ParseIpAddress(text);
    if (!address) return "";
    return FormatIpAddress(KeepPrefix(*address, address->IsV4() ? 24 : 48));
}

}  // namespace tallyhouse::engine
