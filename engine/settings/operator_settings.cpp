#include "engine/settings/operator_settings.h"

#include <charconv>
#include <variant>

#include "engine/client/ip_address.h"
#include "platform/text/ascii_text.h"
#include "platform/os/system_environment.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

// A value a rule cannot read, with what is wrong in it when that helps; the reader adds the
// setting's name and what it takes.
class EBadValue : public Exception {
public:
    explicit EBadValue(const std::string& detail = "") : Exception(detail) {}
};

using TApply = void (*)(const std::string& value, TOperatorSettings& settings);

struct TSettingRule {
    TSettingDescription Description;
    TApply Apply;  // raises EBadValue for a value it cannot read
};

std::vector<std::string> Items(const std::string& value) {
    std::vector<std::string> items;
    std::string item;
    for (const char c : value + " ") {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ',') {
            if (!item.empty()) items.push_back(item);
            item.clear();
        } else {
            item += c;
        }
    }
    return items;
}

long long Whole(const std::string& value, long long low, long long high) {
    long long number = -1;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.size() > 9 || error != std::errc() || end != value.data() + value.size() || number < low ||
        number > high)
        throw EBadValue();
    return number;
}

template <typename T>
T OneOf(const std::string& value, std::initializer_list<std::pair<const char*, T>> choices) {
    for (const auto& [word, choice] : choices)
        if (UpperCase(value) == UpperCase(word)) return choice;
    throw EBadValue();
}

void CgiMode(const std::string& value, TOperatorSettings& settings) {
    settings.CgiMode = OneOf<TCGIMode>(
        value, {{"NormalMode", NormalMode}, {"ServerMode", ServerMode}, {"ServerThreadMode", ServerThreadMode}});
}

void ChartCache(const std::string& value, TOperatorSettings& settings) {
    settings.ChartCacheBytes = static_cast<std::size_t>(Whole(value, 0, 999999)) * 1024 * 1024;
}

void FastCgiWorkers(const std::string& value, TOperatorSettings& settings) {
    settings.FastCgiWorkers = static_cast<int>(Whole(value, 1, 256));
}

void MaxPolls(const std::string& value, TOperatorSettings& settings) {
    settings.MaxPolls = static_cast<std::size_t>(Whole(value, 0, 1000000));
}

void OneAnswer(const std::string& value, TOperatorSettings& settings) {
    settings.OneAnswer = OneOf<TOneAnswer>(value, {{"cookie", TOneAnswer::Cookie},
                                                   {"address", TOneAnswer::Address},
                                                   {"cookie+address", TOneAnswer::CookieAndAddress}});
}

void OneAnswerHours(const std::string& value, TOperatorSettings& settings) {
    settings.OneAnswerHours = static_cast<int>(Whole(value, 1, 876000));
}

void AnswerOrigins(const std::string& value, TOperatorSettings& settings) {
    for (const std::string& item : Items(value)) {
        const std::optional<TUrlSite> site = ParseOrigin(item);
        if (!site) throw EBadValue("'" + item + "' is no origin");
        settings.AnswerOrigins.push_back(*site);
    }
}

void AnswerPostOnly(const std::string& value, TOperatorSettings& settings) {
    settings.AnswerPostOnly = OneOf<bool>(value, {{"yes", true}, {"no", false}});
}

void TrustedProxies(const std::string& value, TOperatorSettings& settings) {
    for (const std::string& item : Items(value)) {
        const std::optional<TIpRange> range = ParseIpRange(item);
        if (!range) throw EBadValue("'" + item + "' is no address or CIDR range");
        settings.Proxies.TrustedProxies.push_back(*range);
    }
}

void ProxyHeader(const std::string& value, TOperatorSettings& settings) {
    settings.Proxies.Header = OneOf<TProxyHeader>(
        value, {{"X-Forwarded-For", TProxyHeader::XForwardedFor}, {"Forwarded", TProxyHeader::Forwarded}});
}

void StoreAddress(const std::string& value, TOperatorSettings& settings) {
    settings.StoreAddress = OneOf<TStoreAddress>(
        value, {{"full", TStoreAddress::Full}, {"short", TStoreAddress::Short}, {"none", TStoreAddress::None}});
}

void RedirectHosts(const std::string& value, TOperatorSettings& settings) {
    for (const std::string& item : Items(value)) {
        const std::string host = HostOfHostHeader(item);
        const bool hasPort = item.front() == '[' ? item.back() != ']' : item.find(':') != std::string::npos;
        if (host.empty() || hasPort) throw EBadValue("'" + item + "' is no host name");
        settings.RedirectHosts.push_back(host);
    }
}

void Database(const std::string& value, TOperatorSettings& settings) {
    for (const char c : value)
        if (static_cast<unsigned char>(c) < ' ') throw EBadValue("it holds a control character");
    settings.Database = value;
}

const std::vector<TSettingRule>& Rules() {
    static const std::vector<TSettingRule> rules = {
        {{"TALLYHOUSE_CGI_MODE", "NormalMode, ServerMode or ServerThreadMode"}, CgiMode},
        {{"TALLYHOUSE_CHART_CACHE_MB", "a whole number of MiB from 0 (no cache) to 999999"}, ChartCache},
        {{"TALLYHOUSE_FASTCGI_WORKERS", "a whole number of FastCGI worker processes from 1 to 256"}, FastCgiWorkers},
        {{"TALLYHOUSE_MAX_POLLS", "a whole number of poll files from 0 (no new poll) to 1000000"}, MaxPolls},
        {{"TALLYHOUSE_ONE_ANSWER", "cookie, address or cookie+address"}, OneAnswer},
        {{"TALLYHOUSE_ONE_ANSWER_HOURS", "a whole number of hours from 1 to 876000"}, OneAnswerHours},
        {{"TALLYHOUSE_ANSWER_ORIGINS", "origins such as https://example.org, separated by blanks"}, AnswerOrigins},
        {{"TALLYHOUSE_ANSWER_POST_ONLY", "yes or no"}, AnswerPostOnly},
        {{"TALLYHOUSE_TRUSTED_PROXIES", "addresses or CIDR ranges, separated by blanks"}, TrustedProxies},
        {{"TALLYHOUSE_PROXY_HEADER", "X-Forwarded-For or Forwarded"}, ProxyHeader},
        {{"TALLYHOUSE_STORE_ADDRESS", "full, short or none"}, StoreAddress},
        {{"TALLYHOUSE_REDIRECT_HOSTS", "host names, separated by blanks"}, RedirectHosts},
        {{"TALLYHOUSE_DATABASE", "a libpq connection string or URI of the PostgreSQL database that keeps the answers"},
         Database},
    };
    return rules;
}

// Settings that mean something only beside another one.
void CheckCompanions(const std::function<std::string(const std::string&)>& lookup, const TOperatorSettings& settings) {
    if (settings.OneAnswerHours != 0 && settings.OneAnswer == TOneAnswer::Off)
        throw ESettingsError("TALLYHOUSE_ONE_ANSWER_HOURS is set, but TALLYHOUSE_ONE_ANSWER is not");
    if (!Trim(lookup("TALLYHOUSE_PROXY_HEADER")).empty() && settings.Proxies.TrustedProxies.empty())
        throw ESettingsError("TALLYHOUSE_PROXY_HEADER is set, but TALLYHOUSE_TRUSTED_PROXIES is not");
}

}  // namespace

const std::vector<TSettingDescription>& SettingDescriptions() {
    static const std::vector<TSettingDescription> descriptions = [] {
        std::vector<TSettingDescription> list;
        for (const TSettingRule& rule : Rules()) list.push_back(rule.Description);
        return list;
    }();
    return descriptions;
}

TOperatorSettings ReadOperatorSettings(const std::function<std::string(const std::string&)>& Lookup) {
    TOperatorSettings settings;
    for (const TSettingRule& rule : Rules()) {
        const std::string value = Trim(Lookup(rule.Description.Name));
        if (value.empty()) continue;
        try {
            rule.Apply(value, settings);
        } catch (const EBadValue& bad) {
            throw ESettingsError(std::string(rule.Description.Name) + "='" + value + "' cannot be used" +
                                 (bad.Message().empty() ? "" : ": " + bad.Message()) + "; it takes " +
                                 rule.Description.Takes);
        }
    }
    CheckCompanions(Lookup, settings);
    return settings;
}

const TOperatorSettings& OperatorSettings() {
    static const std::variant<TOperatorSettings, ESettingsError> read = []() -> std::variant<TOperatorSettings, ESettingsError> {
        try {
            return ReadOperatorSettings(GetEnv);
        } catch (const ESettingsError& error) {
            return error;
        }
    }();
    if (const auto* error = std::get_if<ESettingsError>(&read)) throw *error;
    return std::get<TOperatorSettings>(read);
}

}  // namespace tallyhouse::engine
