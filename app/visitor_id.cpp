#include "app/visitor_id.h"

#include <cstdio>

#include "engine/core/cookie_header.h"
#include "platform/os/random_bytes.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace {

constexpr size_t kIdDigits = 32;

std::string Hex64(std::uint64_t word) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(word));
    return text;
}

std::string Signature(std::string_view id, const TInstallationSecret& secret) {
    return Hex64(SipHash24(id, secret.SignKeys[0])) + Hex64(SipHash24(id, secret.SignKeys[1]));
}

bool IsLowerHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// Compares every byte whatever the first difference, so the time taken tells nothing.
bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    unsigned char difference = 0;
    for (size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

}  // namespace

std::string NewVisitorId() {
    std::uint64_t words[2];
    RandomBytes(words, sizeof words);
    return Hex64(words[0]) + Hex64(words[1]);
}

std::string SignedVisitorId(const std::string& id, const TInstallationSecret& secret) {
    return id + "." + Signature(id, secret);
}

std::string IssuedVisitorId(std::string_view cookieHeader, const TInstallationSecret& secret) {
    for (const std::string_view value : CookieValues(cookieHeader, kVisitorCookieName)) {
        if (value.size() != 2 * kIdDigits + 1 || value[kIdDigits] != '.') continue;
        const std::string_view id = value.substr(0, kIdDigits);
        if (IsLowerHex(id) && SameText(value.substr(kIdDigits + 1), Signature(id, secret))) return std::string(id);
    }
    return "";
}

}  // namespace tallyhouse::app
