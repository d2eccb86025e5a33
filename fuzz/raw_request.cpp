// Fuzzes the reading of raw request text that a filter notification sees: form data and cookie.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/isapi/isapi_engine.h"

using namespace tallyhouse::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TRawRequestData parsed = ParseRawRequest(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parsed.Cookie.size() > 4096) std::abort();
    return 0;
}
