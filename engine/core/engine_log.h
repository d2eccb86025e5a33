// The engine's error log for code that runs before any engine exists (the CGI server's
// hand-over at start-up).
#pragma once

#include <string>

namespace tallyhouse::engine {

// Appends one line to the error log (THttpEngine::LogError writes through it); failures are
// ignored.
void LogEngineMessage(const std::string& message);

}  // namespace tallyhouse::engine
