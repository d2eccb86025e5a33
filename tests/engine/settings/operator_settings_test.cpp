#include <gtest/gtest.h>

#include <map>

#include "engine/settings/operator_settings.h"

using namespace tallyhouse::engine;

namespace {

TOperatorSettings Read(const std::map<std::string, std::string>& environment) {
    return ReadOperatorSettings([&](const std::string& name) {
        const auto found = environment.find(name);
        return found == environment.end() ? std::string() : found->second;
    });
}

}  // namespace

TEST(OperatorSettings, NoSettingKeepsTheProgramAsItWas) {
    const TOperatorSettings settings = Read({});
    EXPECT_FALSE(settings.CgiMode);
    EXPECT_EQ(settings.ChartCacheBytes, 16u << 20);
    EXPECT_EQ(settings.MaxPolls, 1000u);
    EXPECT_EQ(settings.OneAnswer, TOneAnswer::Off);
    EXPECT_TRUE(settings.AnswerOrigins.empty());
    EXPECT_FALSE(settings.AnswerPostOnly);
    EXPECT_TRUE(settings.Proxies.TrustedProxies.empty());
    EXPECT_EQ(settings.StoreAddress, TStoreAddress::Full);
    EXPECT_TRUE(settings.RedirectHosts.empty());
}

TEST(OperatorSettings, ValuesAreRead) {
    const TOperatorSettings settings = Read({
        {"TALLYHOUSE_CGI_MODE", "servermode"},
        {"TALLYHOUSE_CHART_CACHE_MB", "0"},
        {"TALLYHOUSE_FASTCGI_WORKERS", "40"},
        {"TALLYHOUSE_ONE_ANSWER", " cookie+address "},
        {"TALLYHOUSE_ONE_ANSWER_HOURS", "24"},
        {"TALLYHOUSE_ANSWER_ORIGINS", "https://example.org  https://www.example.org/,http://[::1]:8080"},
        {"TALLYHOUSE_ANSWER_POST_ONLY", "YES"},
        {"TALLYHOUSE_TRUSTED_PROXIES", "127.0.0.1 10.0.0.0/8\t::1"},
        {"TALLYHOUSE_PROXY_HEADER", "forwarded"},
        {"TALLYHOUSE_STORE_ADDRESS", "short"},
        {"TALLYHOUSE_REDIRECT_HOSTS", "WWW.example.org [::1]"},
    });
    EXPECT_EQ(settings.CgiMode, ServerMode);
    EXPECT_EQ(settings.ChartCacheBytes, 0u);
    EXPECT_EQ(settings.FastCgiWorkers, 40);
    EXPECT_EQ(settings.OneAnswer, TOneAnswer::CookieAndAddress);
    EXPECT_EQ(settings.OneAnswerHours, 24);
    ASSERT_EQ(settings.AnswerOrigins.size(), 3u);
    EXPECT_EQ(settings.AnswerOrigins[2], (TUrlSite{"http", "[::1]", 8080}));
    EXPECT_TRUE(settings.AnswerPostOnly);
    EXPECT_EQ(settings.Proxies.TrustedProxies.size(), 3u);
    EXPECT_EQ(settings.Proxies.Header, TProxyHeader::Forwarded);
    EXPECT_EQ(settings.StoreAddress, TStoreAddress::Short);
    EXPECT_EQ(settings.RedirectHosts, (std::vector<std::string>{"www.example.org", "[::1]"}));
}

TEST(OperatorSettings, ABadValueNamesTheSettingAndWhatItTakes) {
    const struct {
        const char* name;
        const char* value;
        const char* said;
    } cases[] = {
        {"TALLYHOUSE_CGI_MODE", "Server", "NormalMode, ServerMode or ServerThreadMode"},
        {"TALLYHOUSE_CHART_CACHE_MB", "16MB", "from 0 (no cache)"},
        {"TALLYHOUSE_CHART_CACHE_MB", "-1", "from 0 (no cache)"},
        {"TALLYHOUSE_ONE_ANSWER", "cookies", "cookie, address or cookie+address"},
        {"TALLYHOUSE_FASTCGI_WORKERS", "0", "from 1 to 256"},
        {"TALLYHOUSE_FASTCGI_WORKERS", "257", "from 1 to 256"},
        {"TALLYHOUSE_FASTCGI_WORKERS", "four", "from 1 to 256"},
        {"TALLYHOUSE_ANSWER_ORIGINS", "https://example.org example.org", "'example.org' is no origin"},
        {"TALLYHOUSE_ANSWER_ORIGINS", "https://example.org/polls", "is no origin"},
        {"TALLYHOUSE_ANSWER_POST_ONLY", "true", "yes or no"},
        {"TALLYHOUSE_TRUSTED_PROXIES", "10.0.0.0/33", "'10.0.0.0/33' is no address or CIDR range"},
        {"TALLYHOUSE_TRUSTED_PROXIES", "fe80::1%eth0", "is no address"},
        {"TALLYHOUSE_STORE_ADDRESS", "hashed", "full, short or none"},
        {"TALLYHOUSE_REDIRECT_HOSTS", "example.org:8080", "is no host name"},
        {"TALLYHOUSE_REDIRECT_HOSTS", "https://example.org", "is no host name"},
    };
    for (const auto& c : cases) {
        try {
            Read({{c.name, c.value}});
            ADD_FAILURE() << c.name << "=" << c.value << " was taken";
        } catch (const ESettingsError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind(std::string(c.name) + "='" + c.value + "' cannot be used", 0), 0u) << message;
            EXPECT_NE(message.find(c.said), std::string::npos) << message;
        }
    }
}

TEST(OperatorSettings, CompanionsWithoutTheirSettingAreErrors) {
    EXPECT_THROW(Read({{"TALLYHOUSE_ONE_ANSWER_HOURS", "24"}}), ESettingsError);
    EXPECT_THROW(Read({{"TALLYHOUSE_ONE_ANSWER", "cookie"}, {"TALLYHOUSE_ONE_ANSWER_HOURS", "0"}}), ESettingsError);
    EXPECT_THROW(Read({{"TALLYHOUSE_PROXY_HEADER", "Forwarded"}}), ESettingsError);
}
