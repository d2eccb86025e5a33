// Fuzzes the client address behind trusted proxies: the input is a Forwarded or
// X-Forwarded-For header (first byte: which one), also read as an address, a CIDR range and a
// hop. The client found is the remote address or a plain address, and shortening holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/client/forwarded.h"
#include "engine/client/ip_address.h"

using namespace tallyhouse::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string header(reinterpret_cast<const char*>(data) + 1, size - 1);
    TProxyRule rule;
    rule.Header = data[0] & 1 ? TProxyHeader::Forwarded : TProxyHeader::XForwardedFor;
    rule.TrustedProxies = {*ParseIpRange("127.0.0.0/8"), *ParseIpRange("2001:db8::/32")};
    if (const std::optional<TIpRange> range = ParseIpRange(header)) rule.TrustedProxies.push_back(*range);
    const std::string client = ClientAddress("127.0.0.1", header, rule);
    if (client != "127.0.0.1" && !ParseIpAddress(client)) std::abort();
    ForwardedHttps(header, rule.Header);
    HopAddress(header);
    const std::string shortened = ShortAddress(header);
    if (!shortened.empty() && ShortAddress(shortened) != shortened) std::abort();
    return 0;
}
