#include "engine/core/request_events.h"

#include <mutex>

#include "engine/core/http_engine.h"

namespace tallyhouse::engine {

namespace {

std::mutex& ApplicationLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

void TRequestEvents::Fire(THttpEngine& engine, TRules rules) {
    std::unique_lock<std::mutex> turn;
    if (rules.TakeTurns) turn = std::unique_lock<std::mutex>(ApplicationLock());
    if (firstPending_ && engine.OnFirstExecRequest) {
        engine.OnFirstExecRequest(engine);
        firstPending_ = false;
    }
    if (engine.OnExecRequest) engine.OnExecRequest(engine);
    if (rules.LastRequest && engine.OnLastExecRequest) engine.OnLastExecRequest(engine);
}

}  // namespace tallyhouse::engine
