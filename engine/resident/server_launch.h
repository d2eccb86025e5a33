// Starts the resident CGI server: this program again with the parameter "START_SERVER".
#pragma once

#include <string>
#include <vector>

namespace tallyhouse::engine {

// Detached in a session of its own, with the caller's environment and its standard handles
// on /dev/null so that the web server does not wait for it. False when it could not start.
bool StartServerProcess(const std::string& programPath);
// The same start with the given arguments and environment ("NAME=value" strings).
bool StartDetachedProgram(const std::string& programPath, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment);
// This process's environment as "NAME=value" strings.
std::vector<std::string> CurrentEnvironment();

}  // namespace tallyhouse::engine
