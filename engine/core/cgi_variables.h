// How the CGI-style engines (standard CGI, its resident server, FastCGI) name and read the
// request variables, so that each reads a request the same way.
#pragma once

#include <string>

namespace tallyhouse::engine {

// The name a variable is read under: upper case, blanks as underscores, and "EXECUTABLE PATH"
// as "SCRIPT_NAME".
std::string CgiVariableKey(const std::string& Name);
// A variable's value as the engines read it: a "SERVER_SOFTWARE" value containing "ZB" reads
// as empty.
std::string CgiVariableValue(const std::string& key, std::string value);
// An environment variable read by that rule: missing is empty.
std::string CgiEnvironmentVariable(const std::string& Name);

}  // namespace tallyhouse::engine
