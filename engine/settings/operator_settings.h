// The operator's settings: environment variables named TALLYHOUSE_... in the web server's or
// the service's configuration. Each is read once per process and checked; a bad value is an
// error that names the setting and what it takes, never a value silently ignored. With none
// set, every setting has the value that keeps the program as it always was.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/client/forwarded.h"
#include "engine/client/url_site.h"
#include "engine/core/http_engine.h"
#include "platform/os/exception.h"

namespace tallyhouse::engine {

// Who may answer a poll once: nobody is stopped, a visitor keeping the program's cookie, an
// address, or either of the two.
enum class TOneAnswer { Off, Cookie, Address, CookieAndAddress };
// What answer lines keep of the client's address.
enum class TStoreAddress { Full, Short, None };

struct TOperatorSettings {
    std::optional<TCGIMode> CgiMode;
    std::size_t ChartCacheBytes = 16 * 1024 * 1024;
    int FastCgiWorkers = 0;  // 0: as many as the machine has cores
    std::size_t MaxPolls = 1000;  // poll files the folder may hold; more are not created
    TOneAnswer OneAnswer = TOneAnswer::Off;
    int OneAnswerHours = 0;  // 0: once for the poll's life
    std::vector<TUrlSite> AnswerOrigins;  // empty: answers from any page
    bool AnswerPostOnly = false;
    TProxyRule Proxies;  // no trusted proxy: REMOTE_ADDR is the client
    TStoreAddress StoreAddress = TStoreAddress::Full;
    std::vector<std::string> RedirectHosts;  // lower case
    std::string Database;  // empty: the answers stay in poll files
};

// A setting whose value cannot be used.
class ESettingsError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// One setting as the README and the usage text list it.
struct TSettingDescription {
    const char* Name;
    const char* Takes;
};
const std::vector<TSettingDescription>& SettingDescriptions();

// Reads and checks every setting through Lookup (the value of a name, empty when unset).
// Raises ESettingsError for the first bad one.
TOperatorSettings ReadOperatorSettings(const std::function<std::string(const std::string&)>& Lookup);

// This process's settings, read from its environment at the first call. Raises ESettingsError
// at every call when a setting is bad.
const TOperatorSettings& OperatorSettings();

}  // namespace tallyhouse::engine
