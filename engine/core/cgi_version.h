// How a CGI_VERSION value tells that the web server speaks the Windows CGI convention.
#pragma once

#include <string_view>

namespace tallyhouse::engine {

// True when the value holds "WIN" in any letter case ("CGI/1.3a (Win)").
bool NamesWindowsCgi(std::string_view cgiVersion);

}  // namespace tallyhouse::engine
