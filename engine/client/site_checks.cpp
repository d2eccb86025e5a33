#include "engine/client/site_checks.h"

#include <algorithm>

namespace tallyhouse::engine {

namespace {

bool IsSchemeCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
           c == '.';
}

// "name:" before the first "/", "?" or "#" makes the text an absolute URL of that scheme.
bool HasScheme(std::string_view url) {
    const size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > url.find_first_of("/?#")) return false;
    return std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(colon), IsSchemeCharacter);
}

bool IsRelative(std::string_view url) {
    const bool safe = std::none_of(url.begin(), url.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < ' ' || byte == 0x7F || c == '\\';
    });
    // A refresh target in quotes loses them in the browser, and what is left may have a scheme.
    const bool quoted = url.starts_with('\'') || url.starts_with('"');
    return safe && !quoted && !url.starts_with(' ') && !url.ends_with(' ') && !url.starts_with("//") &&
           !HasScheme(url);
}

}  // namespace

bool FromListedSite(std::string_view origin, std::string_view referer, const std::vector<TUrlSite>& sites) {
    const std::optional<TUrlSite> site = origin.empty() ? ParseUrlSite(referer) : ParseOrigin(origin);
    return site && std::find(sites.begin(), sites.end(), *site) != sites.end();
}

bool RedirectAllowed(std::string_view backurl, std::string_view ownHost, const std::vector<std::string>& otherHosts) {
    if (IsRelative(backurl)) return true;
    const std::optional<TUrlSite> site = ParseUrlSite(backurl);
    if (!site) return false;
    return (!ownHost.empty() && site->Host == ownHost) ||
           std::find(otherHosts.begin(), otherHosts.end(), site->Host) != otherHosts.end();
}

}  // namespace tallyhouse::engine
