// The process environment.
#pragma once

#include <string>
#include <vector>

namespace tallyhouse::platform {

// The value of an environment variable; empty when it is not set.
std::string GetEnv(const std::string& name);
// Every environment string, "NAME=value", in the order the process received them.
std::vector<std::string> EnvironmentStrings();

}  // namespace tallyhouse::platform
