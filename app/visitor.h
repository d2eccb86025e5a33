// Who sends an add request, as the operator's settings see it: the client's address behind
// trusted proxies, what answer lines keep of it, and the keys under which the one-answer rule
// looks the visitor up (a visitor id from the program's cookie, the address, or both).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/installation_secret.h"
#include "engine/settings/operator_settings.h"

namespace tallyhouse::app {

struct TVisitor {
    std::string Address;        // the client's address
    std::string StoredAddress;  // what answer lines keep of it
    std::vector<std::uint64_t> Keys;
    // A Set-Cookie value with a newly issued visitor id; empty when the visitor kept one.
    std::string NewCookie;
};

// The client's address of the current request.
std::string RequestClientAddress(const engine::TOperatorSettings& settings);

// The visitor of the current request; the installation secret is asked for only when the
// one-answer rule needs keys.
TVisitor RequestVisitor(const engine::TOperatorSettings& settings, const std::function<const TInstallationSecret&()>& secret);

// The text an address is known by to the one-answer rule: an IPv6 address by its /64 (a
// household's network, within which a device picks new addresses freely), anything else as it is.
std::string AddressRecordText(const std::string& address);

}  // namespace tallyhouse::app
