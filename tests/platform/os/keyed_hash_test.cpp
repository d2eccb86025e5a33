#include <gtest/gtest.h>

#include <string>

#include "platform/os/keyed_hash.h"

using namespace tallyhouse::platform;

namespace {

// Key 00..0F and messages 00, 00 01, ... as in the reference implementation's vectors.
TEST(KeyedHash, MatchesTheReferenceVectors) {
    const THashKey key{0x0706050403020100ull, 0x0F0E0D0C0B0A0908ull};
    std::string message;
    for (int i = 0; i < 15; ++i) message.push_back(static_cast<char>(i));
    EXPECT_EQ(SipHash24("", key), 0x726fdb47dd0e0e31ull);
    EXPECT_EQ(SipHash24(message.substr(0, 8), key), 0x93f5f5799a932462ull);
    EXPECT_EQ(SipHash24(message, key), 0xa129ca6149be45e5ull);
}

TEST(KeyedHash, DependsOnTheKey) {
    EXPECT_NE(SipHash13("yes", {1, 2}), SipHash13("yes", {1, 3}));
    EXPECT_NE(SipHash13("yes", ProcessHashKey()), SipHash13("yes", {0, 0}));
    EXPECT_EQ(KeyedHash("yes"), KeyedHash("yes"));
}

}  // namespace
