// The site an absolute http or https URL belongs to (scheme, host and port), as browsers name
// it in Origin and as Referer and backurl carry it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tallyhouse::engine {

struct TUrlSite {
    std::string Scheme;  // "http" or "https"
    std::string Host;    // lower case; an IPv6 address in brackets
    int Port = 0;        // the scheme's port when none is given
    friend bool operator==(const TUrlSite&, const TUrlSite&) = default;
};

// The site of "scheme://[user@]host[:port][/path][?query][#part]" for http and https. None for
// other schemes, a missing or malformed host (only letters, digits, "-", "." or a bracketed
// IPv6 address), a bad port, and any blank, control byte or backslash: browsers read those in
// ways a plain parser would not.
std::optional<TUrlSite> ParseUrlSite(std::string_view url);
// An origin as a setting or an Origin header writes it: a site and nothing after the port but
// an optional "/".
std::optional<TUrlSite> ParseOrigin(std::string_view origin);
// The host of a Host header ("example.org:8080", "[::1]"), lower case, without the port.
std::string HostOfHostHeader(std::string_view host);

}  // namespace tallyhouse::engine
