#include "engine/fastcgi/fastcgi_startup.h"

#include <memory>

#include "engine/facade/general_http_engine.h"
#include "engine/fastcgi/fastcgi_engine.h"
#include "engine/fastcgi/fastcgi_start.h"

namespace tallyhouse::engine {

namespace {

void CreateFastCgiEngine(TGeneralHttpEngine& facade) {
    static std::unique_ptr<TFastCGIEngine> engine;
    // A resident engine: the CGI modes do not apply to it.
    THttpEngineProperties properties = facade.Properties();
    properties.CGIMode = NormalMode;
    engine = TFastCGIEngine::Create(properties, facade.CgiAutoTerminate());
}

}  // namespace

void InstallFastCgiEngine() {
    TGeneralHttpEngine::TEngineFactories& factories = TGeneralHttpEngine::Factories();
    factories.IsFastCgiStart = IsFastCgiStart;
    factories.CreateFastCgiEngine = CreateFastCgiEngine;
}

}  // namespace tallyhouse::engine
