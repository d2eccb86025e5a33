// The FastCGI engine for the facade: the program (not the server-extension library) hands the
// facade how a FastCGI start is recognised and the engine's creation, which serves FastCGI
// until asked to stop.
#pragma once

namespace tallyhouse::engine {

void InstallFastCgiEngine();

}  // namespace tallyhouse::engine
