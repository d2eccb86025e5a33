// Escaping of request data written into HTML pages.
#pragma once

#include <string>
#include <string_view>

namespace tallyhouse::engine {

// "&" "<" ">" and the double quote become character references; every other byte stays.
std::string HtmlEscape(std::string_view text);

}  // namespace tallyhouse::engine
