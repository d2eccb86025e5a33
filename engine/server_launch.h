// Starts the resident CGI server: this program again with the parameter "START_SERVER".
#pragma once

#include <string>

// Detached in a session of its own, with the caller's environment and its standard handles
// on /dev/null so that the web server does not wait for it. False when it could not start.
bool StartServerProcess(const std::string& programPath);
