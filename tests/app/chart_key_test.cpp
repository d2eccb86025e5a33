// The key of a view answer (its ETag, and where the FastCGI cache keeps it) follows every field
// of the request: each view parameter changes it, and no value passes for an absent field.
#include <gtest/gtest.h>

#include <set>

#include "tests/support/cgi_runner.h"
#include "tests/support/fastcgi_client.h"

using namespace testsupport;

namespace {

const std::string kPlain = "command=view&filename=q.pol";

CgiResult Split(const std::string& output) {
    CgiResult result;
    result.output = output;
    SplitResponse(result);
    return result;
}

// Each view parameter of the README, and the values a visitor could hope to pass for an absent
// field, added to the plain view one at a time.
const char* const kChanges[] = {
    "style=1", "color=3", "width=300", "height=200", "legend=no", "legendstyle=percent", "marks=no",
    "marksstyle=value", "border=yes", "backcolor=13", "chartbacktopcolor=2", "chartbackbottomcolor=3",
    "number=votes", "numbercolor=0", "3D=yes", "3Dorthogonal=no", "3DRotation=300", "3DElevation=300",
    "3DZoom=80", "3DDepth=20", "answers=no|yes", "format=json", "format=csv",
    "legend=%231NOT_AVAILABLE%231", "number=", "unknown=1",
};

TEST(ChartKey, EveryViewParameterChangesTheTagInStandardCgiAndTheFastCgiCache) {
    ScratchDir dir;
    dir.Write("q.pol", "d,a,yes\r\nd,a,no\r\nd,a,yes\r\n");
    FastCgiServer server(dir, 1);
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");
    const auto fast = [&](const std::string& query) { return Split(FastCgiAnswer(server.Socket(), GetRequest(query))); };
    const CgiResult plain = RunProgram(dir.Program(), GetRequest(kPlain));
    std::set<std::string> tags{ETagOf(plain.header)};
    ASSERT_EQ(fast(kPlain).body, plain.body);
    for (const char* change : kChanges) {
        const std::string query = kPlain + "&" + change;
        const CgiResult standard = RunProgram(dir.Program(), GetRequest(query));
        ASSERT_EQ(ETagOf(standard.header).size(), 34u) << change << "\n" << standard.header;
        EXPECT_TRUE(tags.insert(ETagOf(standard.header)).second) << change << ": a tag seen before";
        for (int round = 0; round < 2; ++round) {
            const CgiResult cached = fast(query);
            EXPECT_EQ(ETagOf(cached.header), ETagOf(standard.header)) << change << ", round " << round;
            EXPECT_TRUE(cached.body == standard.body) << change << ", round " << round << ": another answer's body";
        }
    }
    EXPECT_TRUE(fast(kPlain).body == plain.body) << "the plain view is still its own";
    EXPECT_EQ(ETagOf(RunProgram(dir.Program(), GetRequest(kPlain + "&LEGEND=no")).header),
              ETagOf(RunProgram(dir.Program(), GetRequest(kPlain + "&legend=no")).header))
        << "a field named in other letters is the same field";
}

TEST(ChartKey, AValueThatMarkedAnAbsentFieldCannotPoisonTheCache) {
    ScratchDir dir;
    dir.Write("q.pol", "d,a,yes\r\nd,a,no\r\n");
    FastCgiServer server(dir, 1);
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");
    const CgiResult plain = RunProgram(dir.Program(), GetRequest(kPlain));
    const std::string poison = kPlain + "&legend=%231NOT_AVAILABLE%231";
    for (int i = 0; i < 3; ++i) FastCgiAnswer(server.Socket(), GetRequest(poison));
    const CgiResult after = Split(FastCgiAnswer(server.Socket(), GetRequest(kPlain)));
    EXPECT_TRUE(after.body == plain.body) << "the plain view got the chart without legend";
    EXPECT_EQ(ETagOf(after.header), ETagOf(plain.header));
    CgiRequest revalidate = GetRequest(poison);
    revalidate.env["HTTP_IF_NONE_MATCH"] = ETagOf(plain.header);
    EXPECT_EQ(RunProgram(dir.Program(), revalidate).header.rfind("HTTP/1.1 200 OK", 0), 0u)
        << "the plain chart's tag answered 304 for another chart";
}

}  // namespace
