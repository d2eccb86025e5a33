// The visitor's address and scheme when the request came through proxies the operator trusts:
// such a proxy adds the address it received the request from to "X-Forwarded-For" or
// "Forwarded", and whatever stands further left may be made up by the client.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/client/ip_address.h"

namespace tallyhouse::engine {

// Which header the trusted proxies write; a proxy passes the other one on as the client sent it.
enum class TProxyHeader { XForwardedFor, Forwarded };

struct TProxyRule {
    TProxyHeader Header = TProxyHeader::XForwardedFor;
    std::vector<TIpRange> TrustedProxies;
    bool Trusts(std::string_view address) const;
    bool Trusts(const TIpAddress& address) const;
};

// The hops a header names, first (the client, as claimed) to last (as the nearest proxy saw
// it): the comma-separated items of X-Forwarded-For, or the "for" values of Forwarded (quotes
// removed; an element without one gives an empty hop).
std::vector<std::string> ForwardedHops(std::string_view header, TProxyHeader kind);

// The address a hop names: "192.0.2.1", "192.0.2.1:8080", "2001:db8::1", "[2001:db8::1]:443";
// none for "unknown", obfuscated names ("_proxy"), zones and anything else.
std::optional<TIpAddress> HopAddress(std::string_view hop);

// remoteAddr itself unless a trusted proxy sent the request; then the last hop of the header
// that is not a trusted proxy, in its plain text form. A hop that names no address ends the
// walk: the proxy to its right is the nearest address known.
std::string ClientAddress(std::string_view remoteAddr, std::string_view header, const TProxyRule& rule);

// The scheme the nearest proxy was asked with was https: the last "proto" of Forwarded, or the
// last item of X-Forwarded-Proto.
bool ForwardedHttps(std::string_view header, TProxyHeader kind);

}  // namespace tallyhouse::engine
