#include "platform/os/keyed_hash.h"

#include <bit>
#include <cstring>

#include "platform/os/random_bytes.h"

namespace tallyhouse::platform {

namespace {

struct TSipState {
    std::uint64_t v0, v1, v2, v3;

    void Round() {
        v0 += v1;
        v1 = std::rotl(v1, 13) ^ v0;
        v0 = std::rotl(v0, 32);
        v2 += v3;
        v3 = std::rotl(v3, 16) ^ v2;
        v0 += v3;
        v3 = std::rotl(v3, 21) ^ v0;
        v2 += v1;
        v1 = std::rotl(v1, 17) ^ v2;
        v2 = std::rotl(v2, 32);
    }

    template <int Rounds>
    void Absorb(std::uint64_t word) {
        v3 ^= word;
        for (int round = 0; round < Rounds; ++round) Round();
        v0 ^= word;
    }
};

std::uint64_t LittleEndianWord(const char* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

THashKey RandomKey() {
    THashKey key;
    RandomBytes(&key, sizeof key);
    return key;
}

template <int CompressionRounds, int FinalRounds>
std::uint64_t SipHash(std::string_view text, const THashKey& key) {
    TSipState s{key.k0 ^ 0x736f6d6570736575ull, key.k1 ^ 0x646f72616e646f6dull, key.k0 ^ 0x6c7967656e657261ull,
                key.k1 ^ 0x7465646279746573ull};
    const std::size_t whole = text.size() & ~std::size_t{7};
    for (std::size_t i = 0; i < whole; i += 8) s.Absorb<CompressionRounds>(LittleEndianWord(text.data() + i));
    std::uint64_t last = static_cast<std::uint64_t>(text.size() & 0xFF) << 56;
    for (std::size_t i = whole; i < text.size(); ++i)
        last |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[i])) << (8 * (i - whole));
    s.Absorb<CompressionRounds>(last);
    s.v2 ^= 0xFF;
    for (int round = 0; round < FinalRounds; ++round) s.Round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

}  // namespace

std::uint64_t SipHash13(std::string_view text, const THashKey& key) { return SipHash<1, 3>(text, key); }

std::uint64_t SipHash24(std::string_view text, const THashKey& key) { return SipHash<2, 4>(text, key); }

const THashKey& ProcessHashKey() {
    static const THashKey key = RandomKey();
    return key;
}

}  // namespace tallyhouse::platform
