// IPv4 and IPv6 addresses as requests and settings name them, ranges of them (CIDR), and the
// shortened forms kept when addresses are stored for privacy. An IPv4 address is held as its
// IPv4-mapped IPv6 form, so "192.0.2.1" and "::ffff:192.0.2.1" are one address.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallyhouse::engine {

struct TIpAddress {
    std::array<std::uint8_t, 16> Bytes{};
    bool IsV4() const;
    friend bool operator==(const TIpAddress&, const TIpAddress&) = default;
};

// A plain address: dotted IPv4 or IPv6 text, no brackets, port or zone ("%eth0"); none for
// anything else.
std::optional<TIpAddress> ParseIpAddress(std::string_view text);
// Dotted IPv4, or the shortest IPv6 text.
std::string FormatIpAddress(const TIpAddress& address);

// The address with only its first bits kept (IPv4 prefixes count within the 32 bits of IPv4).
TIpAddress KeepPrefix(const TIpAddress& address, int bits);

struct TIpRange {
    TIpAddress Base;  // host bits cleared
    int Bits = 128;   // of the 128 bits of the mapped form
    bool Contains(const TIpAddress& address) const;
};

// "192.0.2.7", "10.0.0.0/8", "2001:db8::1", "2001:db8::/32"; bits set after the prefix are
// cleared. None for anything else.
std::optional<TIpRange> ParseIpRange(std::string_view text);

// The address with IPv4 cut to its /24 and IPv6 to its /48 ("192.0.2.0", "2001:db8:1::");
// empty when the text is no address.
std::string ShortAddress(std::string_view text);

}  // namespace tallyhouse::engine
