// URL coding of form data: "+" for blanks and "%XX" escapes.
#pragma once

#include <string>
#include <string_view>

namespace tallyhouse::engine {

// "+" becomes a blank, "%" and two hexadecimal digits the byte they name; anything else,
// including a "%" without two hexadecimal digits after it, is kept.
std::string UrlDecode(std::string_view s);
// A blank becomes "+"; "." "/" "\" digits and letters stay; every other byte becomes "%XX".
std::string UrlEncode(std::string_view s);

}  // namespace tallyhouse::engine
