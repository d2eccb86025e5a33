// Reading a request's Cookie header and writing a Set-Cookie header value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tallyhouse::engine {

// The values of the cookies of that name (exact) in a Cookie header ("a=1; b=2"), in the
// order sent; blanks around names and values are dropped, a quoted value loses its quotes.
std::vector<std::string_view> CookieValues(std::string_view header, std::string_view name);

struct TSetCookie {
    std::string Name;
    std::string Value;
    std::string Path;  // a path of other characters than letters, digits and "/._-~%" is "/"
    long long MaxAgeSeconds = 0;
    bool Secure = false;
};

// "name=value; Path=...; Max-Age=...; HttpOnly; SameSite=Lax" and "; Secure" when asked: a
// cookie scripts cannot read and other sites' requests do not carry, except plain links to it.
std::string SetCookieValue(const TSetCookie& cookie);

}  // namespace tallyhouse::engine
