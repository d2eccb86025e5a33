// SipHash-1-3 under a random key of this process: a hash for tables whose keys come from
// visitors, where an unkeyed hash lets anyone send answers that all fall into one slot.
#pragma once

#include <cstdint>
#include <string_view>

namespace tallyhouse::platform {

struct THashKey {
    std::uint64_t k0 = 0, k1 = 0;
};

// The key of this process, drawn from the kernel's random source on first use.
const THashKey& ProcessHashKey();

std::uint64_t SipHash13(std::string_view text, const THashKey& key);
// The same function with the reference rounds, whose published test vectors check the code.
std::uint64_t SipHash24(std::string_view text, const THashKey& key);

inline std::uint64_t KeyedHash(std::string_view text) { return SipHash13(text, ProcessHashKey()); }

}  // namespace tallyhouse::platform
