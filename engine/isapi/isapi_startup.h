// The engines of the server-extension library: once the application's form is loaded, the
// facade creates an NSAPI engine and then an ISAPI engine with its settings and handlers.
#pragma once

namespace tallyhouse::engine {

// Hands the facade the creation of the two library engines.
void InstallLibraryEngines();

}  // namespace tallyhouse::engine
