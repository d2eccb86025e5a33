#include "engine/core/cgi_version.h"

#include "platform/text/ascii_text.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

bool NamesWindowsCgi(std::string_view cgiVersion) { return UpperCase(cgiVersion).find("WIN") != std::string::npos; }

}  // namespace tallyhouse::engine
