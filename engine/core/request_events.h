// The application's request events as every engine raises them: OnFirstExecRequest once per
// engine object, before its first OnExecRequest; OnExecRequest for every request; and, where
// the engine has a last request, OnLastExecRequest after it.
#pragma once

namespace tallyhouse::engine {

class THttpEngine;

class TRequestEvents {
public:
    struct TRules {
        // Requests run on several threads at once: the application keeps its state process-wide,
        // so its handlers take turns under the one application lock, and the first request's
        // event ends before any other request reaches the application.
        bool TakeTurns = false;
        // This request is the engine's last: OnLastExecRequest follows OnExecRequest.
        bool LastRequest = false;
    };

    // Raises the events of one request with Engine as the sender. A first-request event that
    // fails stays due, so the next request raises it again.
    void Fire(THttpEngine& engine, TRules rules);

private:
    bool firstPending_ = true;
};

}  // namespace tallyhouse::engine
