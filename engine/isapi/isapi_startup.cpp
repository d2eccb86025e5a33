// Creation of the library engines for the facade; they live as long as the library.
#include "engine/isapi/isapi_startup.h"

#include <memory>

#include "engine/facade/general_http_engine.h"
#include "engine/isapi/isapi_engine.h"
#include "engine/nsapi/nsapi_engine.h"

namespace tallyhouse::engine {

namespace {

struct TLibraryEngines {
    std::unique_ptr<TNSAPIEngine> Nsapi;
    std::unique_ptr<TISAPIEngine> Isapi;
};

TLibraryEngines& LibraryEngines() {
    static TLibraryEngines engines;
    return engines;
}

void CreateLibraryEngines(TGeneralHttpEngine& facade) {
    TLibraryEngines& engines = LibraryEngines();
    // The library engines get the settings and handlers; the CGI mode is not theirs.
    THttpEngineProperties properties = facade.Properties();
    properties.CGIMode = NormalMode;
    engines.Nsapi = std::make_unique<TNSAPIEngine>(properties);
    const TIsapiEvents events{facade.OnIsapiFilterProc, facade.OnIsapiExtensionVersion, facade.OnIsapiFilterVersion};
    engines.Isapi = std::make_unique<TISAPIEngine>(properties, events);
}

}  // namespace

void InstallLibraryEngines() { TGeneralHttpEngine::Factories().CreateLibraryEngines = CreateLibraryEngines; }

}  // namespace tallyhouse::engine
