// The start of the server-extension library: loading it registers the application's start,
// which runs once before the first entry point the server calls does its work.
#include "app/hauptseite.h"
#include "engine/isapi/isapi_exports.h"
#include "engine/isapi/isapi_startup.h"

namespace tallyhouse::app {

using namespace tallyhouse::engine;

namespace {

// The form lives as long as the library; the engines the facade creates serve the server's calls.
void StartApplication() {
    InstallLibraryEngines();
    static THauptseite Hauptseite;
}

[[gnu::constructor]] void RegisterStart() { SetLibraryStart(StartApplication); }

}  // namespace

}  // namespace tallyhouse::app
