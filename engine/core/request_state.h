// The per-request state of the engine base, one set per thread, so concurrent requests on
// different threads never see each other's state.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/http_cookie.h"

namespace tallyhouse::engine {

class THttpEngine;

struct THttpRequestState {
    THttpEngine* CurrentEngine = nullptr;
    // Files created for this request (uploads); deleted when it ends. None outside a request.
    std::optional<std::vector<std::string>> TempFiles;
    bool HeaderSent = false;
    bool FirstHeaderDone = false;
    int RequestNumber = 0;
    std::uint8_t ImageKind = 0;
    // The response status the status line (or a "Status:" header) carries; empty is 200 OK.
    std::string Status;
    std::string OutputBuffer;
    bool BufferClosed = true;
    // Made for every request of an active engine; nothing reads or writes them afterwards.
    std::unique_ptr<THttpCookie> SessionCookie;
    std::vector<std::string> SessionVariables;
};

THttpRequestState& RequestState();

}  // namespace tallyhouse::engine
