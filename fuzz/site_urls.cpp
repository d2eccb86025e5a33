// Fuzzes the site checks: the input is an Origin, a Referer, a backurl and a Host header at
// once. A backurl that is followed is relative or names a permitted host.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/client/site_checks.h"

using namespace tallyhouse::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<TUrlSite> sites = {*ParseOrigin("https://example.org")};
    FromListedSite(text, "", sites);
    FromListedSite("", text, sites);
    const std::string host = HostOfHostHeader(text);
    if (RedirectAllowed(text, "example.org", {"www.example.org"})) {
        const std::optional<TUrlSite> site = ParseUrlSite(text);
        if (site && site->Host != "example.org" && site->Host != "www.example.org") std::abort();
        if (text.find_first_of("\\\t\r\n") != std::string::npos) std::abort();
    }
    if (const std::optional<TUrlSite> origin = ParseOrigin(text); origin && !ParseUrlSite(text)) std::abort();
    return 0;
}
