// Which sites may send answers, and where a visitor may be sent on after answering.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/client/url_site.h"

namespace tallyhouse::engine {

// The request comes from a page of a listed site: its Origin header names one; without an
// Origin header, its Referer does. "null", a header that cannot be read, and a request that
// carries neither are from no listed site.
bool FromListedSite(std::string_view origin, std::string_view referer, const std::vector<TUrlSite>& sites);

// backurl may be followed: a relative URL (no scheme, not starting "//"), or an http or https
// URL whose host is ownHost (the request's own, see HostOfHostHeader) or one of otherHosts
// (lower case). Anything a browser might read otherwise (blanks, control bytes, backslashes,
// other schemes) may not.
bool RedirectAllowed(std::string_view backurl, std::string_view ownHost, const std::vector<std::string>& otherHosts);

}  // namespace tallyhouse::engine
