// Fuzzes the reading of the visitor cookie: the input is a Cookie header. Only an id signed
// with the secret is taken, and a header holding one signed id gives it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/visitor_id.h"
#include "engine/core/cookie_header.h"

using namespace tallyhouse::engine;
using namespace tallyhouse::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string header(reinterpret_cast<const char*>(data), size);
    const TInstallationSecret secret{{{1, 2}, {3, 4}}, {5, 6}};
    CookieValues(header, "a");
    if (!IssuedVisitorId(header, secret).empty()) std::abort();
    const std::string id(32, 'c');
    if (IssuedVisitorId(header + ";tallyhouse_visitor=" + SignedVisitorId(id, secret), secret).empty()) std::abort();
    return 0;
}
