#include "engine/client/forwarded.h"

#include <algorithm>

#include "platform/text/ascii_text.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

// Splits at the separator where it stands outside a quoted string; a backslash inside quotes
// takes the next character as it is.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '\\') {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == separator && !quoted) {
            parts.push_back(StripBlanks(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    parts.push_back(StripBlanks(text.substr(std::min(start, text.size()))));
    return parts;
}

std::string Unquoted(std::string_view value) {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::string(value);
    std::string plain;
    for (size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '\\' && i + 2 < value.size()) ++i;
        plain += value[i];
    }
    return plain;
}

// The value of the element's parameter (names without regard to case); empty when absent.
std::string Parameter(std::string_view element, std::string_view name) {
    for (const std::string_view pair : SplitOutsideQuotes(element, ';')) {
        const size_t equals = pair.find('=');
        if (equals != std::string_view::npos && UpperCase(StripBlanks(pair.substr(0, equals))) == UpperCase(name))
            return Unquoted(StripBlanks(pair.substr(equals + 1)));
    }
    return "";
}

}  // namespace

// With no proxy trusted (the usual case) the address is not even read.
bool TProxyRule::Trusts(std::string_view address) const {
    if (TrustedProxies.empty()) return false;
    const std::optional<TIpAddress> parsed = ParseIpAddress(address);
    return parsed && Trusts(*parsed);
}

bool TProxyRule::Trusts(const TIpAddress& address) const {
    return std::any_of(TrustedProxies.begin(), TrustedProxies.end(),
                       [&](const TIpRange& range) { return range.Contains(address); });
}

std::vector<std::string> ForwardedHops(std::string_view header, TProxyHeader kind) {
    std::vector<std::string> hops;
    if (StripBlanks(header).empty()) return hops;
    for (const std::string_view element : SplitOutsideQuotes(header, ','))
        hops.push_back(kind == TProxyHeader::Forwarded ? Parameter(element, "for") : std::string(element));
    return hops;
}

std::optional<TIpAddress> HopAddress(std::string_view hop) {
    if (hop.starts_with('[')) {
        const size_t close = hop.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        const std::string_view rest = hop.substr(close + 1);
        if (!rest.empty() && (rest.size() < 2 || rest[0] != ':' ||
                              rest.find_first_not_of("0123456789", 1) != std::string_view::npos))
            return std::nullopt;
        return ParseIpAddress(hop.substr(1, close - 1));
    }
    const size_t colon = hop.find(':');
    if (colon != std::string_view::npos && hop.find(':', colon + 1) == std::string_view::npos) {
        const std::optional<TIpAddress> address = ParseIpAddress(hop.substr(0, colon));
        return address && address->IsV4() ? address : std::nullopt;
    }
    return ParseIpAddress(hop);
}

std::string ClientAddress(std::string_view remoteAddr, std::string_view header, const TProxyRule& rule) {
    if (!rule.Trusts(remoteAddr)) return std::string(remoteAddr);
    std::optional<TIpAddress> client;
    const std::vector<std::string> hops = ForwardedHops(header, rule.Header);
    for (auto hop = hops.rbegin(); hop != hops.rend(); ++hop) {
        const std::optional<TIpAddress> address = HopAddress(*hop);
        if (!address) break;
        client = address;
        if (!rule.Trusts(*address)) break;
    }
    return client ? FormatIpAddress(*client) : std::string(remoteAddr);
}

bool ForwardedHttps(std::string_view header, TProxyHeader kind) {
    const std::vector<std::string_view> elements = SplitOutsideQuotes(header, ',');
    const std::string_view last = elements.back();
    const std::string proto = kind == TProxyHeader::Forwarded ? Parameter(last, "proto") : std::string(last);
    return UpperCase(proto) == "HTTPS";
}

}  // namespace tallyhouse::engine
