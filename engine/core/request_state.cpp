#include "engine/core/request_state.h"

namespace tallyhouse::engine {

THttpRequestState& RequestState() {
    thread_local THttpRequestState state;
    return state;
}

}  // namespace tallyhouse::engine
