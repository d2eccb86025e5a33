#include "engine/client/url_site.h"

#include <algorithm>
#include <charconv>

#include "engine/client/ip_address.h"
#include "platform/text/ascii_text.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

bool HasUnsafeByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte == 0x7F || c == '\\';
    });
}

bool IsHostName(std::string_view host) {
    return !host.empty() && host.size() <= 253 && host.front() != '.' && host.front() != '-' &&
           host.find("..") == std::string_view::npos &&
           std::all_of(host.begin(), host.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
           });
}

// "host" or "[v6]", then an optional ":port"; false when malformed.
bool ReadHostAndPort(std::string_view authority, TUrlSite& site) {
    std::string_view port;
    if (authority.starts_with('[')) {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos) return false;
        const std::optional<TIpAddress> address = ParseIpAddress(authority.substr(1, close - 1));
        if (!address || address->IsV4()) return false;
        site.Host = "[" + FormatIpAddress(*address) + "]";
        const std::string_view rest = authority.substr(close + 1);
        if (!rest.empty() && rest[0] != ':') return false;
        port = rest.empty() ? rest : rest.substr(1);
    } else {
        const size_t colon = authority.find(':');
        site.Host = Lower(authority.substr(0, colon));
        if (site.Host.ends_with('.')) site.Host.pop_back();
        if (!IsHostName(site.Host)) return false;
        port = colon == std::string_view::npos ? std::string_view() : authority.substr(colon + 1);
    }
    site.Port = site.Scheme == "https" ? 443 : 80;
    if (port.empty()) return true;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), site.Port);
    return error == std::errc() && end == port.data() + port.size() && port.size() <= 5 && site.Port > 0 &&
           site.Port <= 65535;
}

// The site and where the authority ends in the URL.
std::optional<std::pair<TUrlSite, size_t>> ParseLeadingSite(std::string_view url) {
    if (HasUnsafeByte(url)) return std::nullopt;
    const size_t colon = url.find("://");
    if (colon == std::string_view::npos) return std::nullopt;
    TUrlSite site;
    site.Scheme = Lower(url.substr(0, colon));
    if (site.Scheme != "http" && site.Scheme != "https") return std::nullopt;
    const size_t start = colon + 3;
    const size_t end = std::min(url.find_first_of("/?#", start), url.size());
    std::string_view authority = url.substr(start, end - start);
    // Browsers take the host after the last "@" of the authority; what stands before is a user.
    const size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority = authority.substr(at + 1);
    if (!ReadHostAndPort(authority, site)) return std::nullopt;
    return std::make_pair(site, end);
}

}  // namespace

std::optional<TUrlSite> ParseUrlSite(std::string_view url) {
    const auto parsed = ParseLeadingSite(url);
    if (!parsed) return std::nullopt;
    return parsed->first;
}

std::optional<TUrlSite> ParseOrigin(std::string_view origin) {
    const auto parsed = ParseLeadingSite(origin);
    if (!parsed) return std::nullopt;
    const std::string_view rest = origin.substr(parsed->second);
    if (!rest.empty() && rest != "/") return std::nullopt;
    if (origin.substr(0, parsed->second).find('@') != std::string_view::npos) return std::nullopt;
    return parsed->first;
}

std::string HostOfHostHeader(std::string_view host) {
    TUrlSite site;
    site.Scheme = "http";
    return ReadHostAndPort(Trim(host), site) ? site.Host : std::string();
}

}  // namespace tallyhouse::engine
