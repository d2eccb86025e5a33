#include <gtest/gtest.h>

#include "engine/client/forwarded.h"
#include "engine/client/ip_address.h"

using namespace tallyhouse::engine;

namespace {

TProxyRule Rule(TProxyHeader header, std::initializer_list<const char*> ranges) {
    TProxyRule rule;
    rule.Header = header;
    for (const char* range : ranges) rule.TrustedProxies.push_back(*ParseIpRange(range));
    return rule;
}

}  // namespace

TEST(IpAddress, ParsesFormatsAndShortens) {
    const std::string tooLong(200, '1');
    const struct {
        const char* fault;
        const char* text;
        const char* formatted;  // empty: no address
        const char* shortened;
    } cases[] = {
        {"dotted IPv4", "192.0.2.77", "192.0.2.77", "192.0.2.0"},
        {"IPv4-mapped IPv6 is the IPv4 address", "::ffff:192.0.2.77", "192.0.2.77", "192.0.2.0"},
        {"IPv6 shortened to its /48", "2001:db8:1234:5678::1", "2001:db8:1234:5678::1", "2001:db8:1234::"},
        {"IPv6 written long", "2001:0DB8:0:0:0:0:0:1", "2001:db8::1", "2001:db8::"},
        {"zone is no address", "fe80::1%eth0", "", ""},
        {"port is no part of an address", "192.0.2.1:80", "", ""},
        {"brackets are no part of an address", "[::1]", "", ""},
        {"three parts", "192.0.2", "", ""},
        {"octal-looking part", "010.0.0.1", "", ""},
        {"name", "localhost", "", ""},
        {"empty", "", "", ""},
        {"too long for any address", tooLong.c_str(), "", ""},
    };
    for (const auto& c : cases) {
        const std::optional<TIpAddress> address = ParseIpAddress(c.text);
        EXPECT_EQ(address ? FormatIpAddress(*address) : "", c.formatted) << c.fault;
        EXPECT_EQ(ShortAddress(c.text), c.shortened) << c.fault;
    }
}

TEST(IpAddress, RangesHoldTheirAddressesOnly) {
    const struct {
        const char* range;
        const char* address;
        bool inside;
    } cases[] = {
        {"10.0.0.0/8", "10.255.1.2", true},         {"10.0.0.0/8", "11.0.0.0", false},
        {"10.1.2.3/8", "10.9.9.9", true},           {"192.0.2.7", "192.0.2.7", true},
        {"192.0.2.7", "192.0.2.8", false},          {"192.0.2.7", "::ffff:192.0.2.7", true},
        {"2001:db8::/32", "2001:db8:ffff::1", true}, {"2001:db8::/32", "2001:db9::1", false},
        {"::/0", "192.0.2.1", true},                {"0.0.0.0/0", "2001:db8::1", false},
        {"::1", "127.0.0.1", false},                {"172.16.0.0/12", "172.31.255.255", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseIpRange(c.range)->Contains(*ParseIpAddress(c.address)), c.inside) << c.range << " " << c.address;
    for (const char* bad : {"10.0.0.0/33", "::/129", "10.0.0.0/", "10.0.0.0/-1", "10.0.0.0/+8", "10.0.0.0/8/8",
                            "fe80::1%eth0/64", "example.org", "10.0.0.0/0x8"})
        EXPECT_FALSE(ParseIpRange(bad)) << bad;
}

TEST(ClientAddress, TakesTheLastHopNoTrustedProxyAdded) {
    const TProxyRule xff = Rule(TProxyHeader::XForwardedFor, {"127.0.0.1", "10.0.0.0/8", "2001:db8:ffff::/48"});
    const TProxyRule fwd = Rule(TProxyHeader::Forwarded, {"127.0.0.1", "10.0.0.0/8"});
    const struct {
        const char* fault;
        const TProxyRule& rule;
        const char* remote;
        const char* header;
        const char* client;
    } cases[] = {
        {"a request not from a proxy keeps its own address", xff, "198.51.100.7", "203.0.113.9", "198.51.100.7"},
        {"the proxy's client", xff, "127.0.0.1", "203.0.113.9", "203.0.113.9"},
        {"a forged first hop is passed over", xff, "127.0.0.1", "1.2.3.4, 203.0.113.9", "203.0.113.9"},
        {"trusted hops are passed over", xff, "127.0.0.1", "203.0.113.9, 10.1.1.1, 10.2.2.2", "203.0.113.9"},
        {"only trusted hops: the first of them", xff, "127.0.0.1", "10.1.1.1, 10.2.2.2", "10.1.1.1"},
        {"no header: the proxy", xff, "127.0.0.1", "", "127.0.0.1"},
        {"garbage ends the walk at the proxy that named it", xff, "127.0.0.1", "203.0.113.9, zzz, 10.2.2.2",
         "10.2.2.2"},
        {"unknown ends the walk", xff, "127.0.0.1", "unknown", "127.0.0.1"},
        {"IPv6 with a zone is garbage", xff, "127.0.0.1", "fe80::1%eth0", "127.0.0.1"},
        {"IPv4 with a port", xff, "127.0.0.1", "203.0.113.9:51000", "203.0.113.9"},
        {"bracketed IPv6 with a port", xff, "127.0.0.1", "[2001:db8::5]:443", "2001:db8::5"},
        {"IPv6 trusted proxy range", xff, "2001:db8:ffff::1", "2001:db8::5", "2001:db8::5"},
        {"mapped proxy address", xff, "::ffff:127.0.0.1", "203.0.113.9", "203.0.113.9"},
        {"written plainly", xff, "127.0.0.1", "2001:DB8:0::5", "2001:db8::5"},
        {"Forwarded for", fwd, "127.0.0.1", "for=203.0.113.9;proto=https", "203.0.113.9"},
        {"Forwarded quoted IPv6 and a forged element", fwd, "127.0.0.1",
         "for=1.2.3.4, For=\"[2001:db8:cafe::17]:4711\";by=10.0.0.1", "2001:db8:cafe::17"},
        {"Forwarded quotes hide separators", fwd, "127.0.0.1", "for=\"203.0.113.9\";x=\"a,b;c\"", "203.0.113.9"},
        {"Forwarded obfuscated", fwd, "127.0.0.1", "for=_hidden", "127.0.0.1"},
        {"Forwarded element without for", fwd, "127.0.0.1", "for=203.0.113.9, by=10.0.0.1", "127.0.0.1"},
        {"Forwarded unterminated quote", fwd, "127.0.0.1", "for=\"203.0.113.9", "127.0.0.1"},
        {"X-Forwarded-For read as Forwarded names nobody", fwd, "127.0.0.1", "203.0.113.9", "127.0.0.1"},
    };
    for (const auto& c : cases) EXPECT_EQ(ClientAddress(c.remote, c.header, c.rule), c.client) << c.fault;
}

TEST(ClientAddress, LongListsAreWalkedFromTheRight) {
    std::string header;
    for (int i = 0; i < 20000; ++i) header += "10.0.0." + std::to_string(i % 250) + ", ";
    header += "203.0.113.9";
    EXPECT_EQ(ClientAddress("10.0.0.1", header, Rule(TProxyHeader::XForwardedFor, {"10.0.0.0/8"})), "203.0.113.9");
}

TEST(ClientAddress, HttpsAsTheNearestProxyWasAsked) {
    EXPECT_TRUE(ForwardedHttps("for=1.2.3.4;proto=http, for=5.6.7.8;proto=HTTPS", TProxyHeader::Forwarded));
    EXPECT_FALSE(ForwardedHttps("for=1.2.3.4;proto=https, for=5.6.7.8", TProxyHeader::Forwarded));
    EXPECT_TRUE(ForwardedHttps("http, https", TProxyHeader::XForwardedFor));
    EXPECT_FALSE(ForwardedHttps("", TProxyHeader::XForwardedFor));
}
