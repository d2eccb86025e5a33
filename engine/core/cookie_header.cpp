#include "engine/core/cookie_header.h"

#include <algorithm>

#include "platform/text/ascii_text.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

bool IsPathCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("/._-~%").find(c) != std::string_view::npos;
}

}  // namespace

std::vector<std::string_view> CookieValues(std::string_view header, std::string_view name) {
    std::vector<std::string_view> values;
    while (!header.empty()) {
        const size_t end = std::min(header.find(';'), header.size());
        const std::string_view pair = header.substr(0, end);
        header.remove_prefix(std::min(end + 1, header.size()));
        const size_t equals = pair.find('=');
        if (equals == std::string_view::npos || StripBlanks(pair.substr(0, equals)) != name) continue;
        std::string_view value = StripBlanks(pair.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        values.push_back(value);
    }
    return values;
}

std::string SetCookieValue(const TSetCookie& cookie) {
    const bool plainPath = cookie.Path.starts_with('/') && std::all_of(cookie.Path.begin(), cookie.Path.end(), IsPathCharacter);
    std::string value = cookie.Name + "=" + cookie.Value + "; Path=" + (plainPath ? cookie.Path : "/") +
                        "; Max-Age=" + std::to_string(cookie.MaxAgeSeconds) + "; HttpOnly; SameSite=Lax";
    if (cookie.Secure) value += "; Secure";
    return value;
}

}  // namespace tallyhouse::engine
