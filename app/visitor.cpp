#include "app/visitor.h"

#include "app/installation_secret.h"
#include "app/visitor_id.h"
#include "engine/client/ip_address.h"
#include "engine/core/cookie_header.h"
#include "engine/core/http_engine.h"
#include "platform/text/ascii_text.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace {

// Long enough for any poll's life: browsers keep a cookie at most about this long anyway.
constexpr long long kCookieSeconds = 400LL * 24 * 60 * 60;

bool SecureRequest(const TOperatorSettings& settings) {
    if (UpperCase(HttpGetVariable("HTTPS")) == "ON" || HttpGetVariable("SERVER PORT SECURE") == "1" ||
        UpperCase(HttpGetVariable("REQUEST SCHEME")) == "HTTPS")
        return true;
    if (!settings.Proxies.Trusts(HttpGetRemoteAddr())) return false;
    const bool forwarded = settings.Proxies.Header == TProxyHeader::Forwarded;
    return ForwardedHttps(HttpGetVariable(forwarded ? "HTTP FORWARDED" : "HTTP X FORWARDED PROTO"),
                          settings.Proxies.Header);
}

std::string CookieHeader() {
    const std::string cookies = HttpGetHttpCookie();
    return cookies == NotAvailable ? std::string() : cookies;
}

bool ByCookie(TOneAnswer rule) { return rule == TOneAnswer::Cookie || rule == TOneAnswer::CookieAndAddress; }
bool ByAddress(TOneAnswer rule) { return rule == TOneAnswer::Address || rule == TOneAnswer::CookieAndAddress; }

}  // namespace

std::string RequestClientAddress(const TOperatorSettings& settings) {
    const bool forwarded = settings.Proxies.Header == TProxyHeader::Forwarded;
    return ClientAddress(HttpGetRemoteAddr(), HttpGetVariable(forwarded ? "HTTP FORWARDED" : "HTTP X FORWARDED FOR"),
                         settings.Proxies);
}

std::string AddressRecordText(const std::string& address) {
    const std::optional<TIpAddress> parsed = ParseIpAddress(address);
    if (!parsed) return address;
    return FormatIpAddress(parsed->IsV4() ? *parsed : KeepPrefix(*parsed, 64));
}

TVisitor RequestVisitor(const TOperatorSettings& settings, const std::function<const TInstallationSecret&()>& secretOf) {
    TVisitor visitor;
    visitor.Address = RequestClientAddress(settings);
    if (settings.StoreAddress == TStoreAddress::Full) visitor.StoredAddress = visitor.Address;
    if (settings.StoreAddress == TStoreAddress::Short) visitor.StoredAddress = ShortAddress(visitor.Address);
    if (settings.OneAnswer == TOneAnswer::Off) return visitor;
    const TInstallationSecret& secret = secretOf();
    if (ByCookie(settings.OneAnswer)) {
        std::string id = IssuedVisitorId(CookieHeader(), secret);
        if (id.empty()) {
            id = NewVisitorId();
            const std::string path = HttpGetVariable("SCRIPT NAME");
            visitor.NewCookie = SetCookieValue(
                {kVisitorCookieName, SignedVisitorId(id, secret), path, kCookieSeconds, SecureRequest(settings)});
        }
        visitor.Keys.push_back(SipHash24("visitor " + id, secret.RecordKey));
    }
    if (ByAddress(settings.OneAnswer))
        visitor.Keys.push_back(SipHash24("address " + AddressRecordText(visitor.Address), secret.RecordKey));
    return visitor;
}

}  // namespace tallyhouse::app
