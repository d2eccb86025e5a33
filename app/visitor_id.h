// The visitor id: a random id the program issues in a cookie, signed with the installation's
// secret, so an id it did not issue counts as none. The cookie names no poll.
#pragma once

#include <string>
#include <string_view>

#include "app/installation_secret.h"

namespace tallyhouse::app {

inline constexpr char kVisitorCookieName[] = "tallyhouse_visitor";

// A new id: 32 hexadecimal digits from the kernel's random source.
std::string NewVisitorId();
// The cookie's value for an id: the id, ".", and its signature of 32 hexadecimal digits.
std::string SignedVisitorId(const std::string& id, const TInstallationSecret& secret);
// The id of the first visitor cookie in the Cookie header whose signature holds; empty when
// there is none (no cookie, a forged, cut or changed one).
std::string IssuedVisitorId(std::string_view cookieHeader, const TInstallationSecret& secret);

}  // namespace tallyhouse::app
