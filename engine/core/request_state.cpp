#include "engine/core/request_state.h"

THttpRequestState& RequestState() {
    thread_local THttpRequestState state;
    return state;
}
