// Entity tags and 304 answers for charts, as standard CGI and as FastCGI with its cache.
#include <gtest/gtest.h>

#include "tests/support/cgi_runner.h"
#include "tests/support/fastcgi_client.h"
#include "tests/support/gif_decode.h"

using namespace testsupport;

namespace {

CgiRequest Revalidate(const std::string& query, const std::string& tag) {
    CgiRequest request = GetRequest(query);
    request.env["HTTP_IF_NONE_MATCH"] = tag;
    return request;
}

CgiResult Split(const std::string& output) {
    CgiResult result;
    result.output = output;
    SplitResponse(result);
    return result;
}

TEST(ChartRevalidation, StandardCgiAnswers304ForTheTagOfAnUnchangedChartOnly) {
    ScratchDir dir;
    dir.Write("q.pol", "d,a,yes\r\n");
    const std::string query = "command=view&filename=q.pol&style=3";
    const CgiResult first = RunProgram(dir.Program(), GetRequest(query));
    const std::string tag = ETagOf(first.header);
    ASSERT_EQ(tag.size(), 34u) << first.header;
    EXPECT_EQ(ETagOf(RunProgram(dir.Program(), GetRequest(query)).header), tag) << "the same chart, the same tag";

    const CgiResult again = RunProgram(dir.Program(), Revalidate(query, tag));
    EXPECT_EQ(again.output, "HTTP/1.1 304 Not Modified\r\nStatus:304 Not Modified\r\nETag:" + tag + "\r\n\r\n");
    CgiRequest apache = Revalidate(query, "W/" + tag);
    apache.env["SERVER_SOFTWARE"] = "Apache/2.4";
    EXPECT_EQ(RunProgram(dir.Program(), apache).output, "Status:304 Not Modified\r\nETag:" + tag + "\r\n\r\n")
        << "a server that writes the status line learns it from the Status header";

    const struct {
        const char* fault;
        std::string query;
    } changed[] = {
        {"another parameter is another chart", query + "&width=300"},
        {"another poll is another chart", "command=view&filename=testdeutsch&style=3"},
    };
    for (const auto& c : changed) {
        const CgiResult other = RunProgram(dir.Program(), Revalidate(c.query, tag));
        EXPECT_EQ(other.header.rfind("HTTP/1.1 200 OK", 0), 0u) << c.fault;
        EXPECT_NE(ETagOf(other.header), tag) << c.fault;
    }
    RunProgram(dir.Program(), GetRequest("command=add&q.pol=no"));
    const CgiResult after = RunProgram(dir.Program(), Revalidate(query, tag));
    EXPECT_EQ(after.header.rfind("HTTP/1.1 200 OK", 0), 0u) << "an answer added changes the chart";
    EXPECT_NE(ETagOf(after.header), tag);
    EXPECT_NE(after.body, first.body);
    EXPECT_EQ(RunProgram(dir.Program(), Revalidate("command=view&height=abc", "*")).header.rfind("HTTP/1.1 400 ", 0), 0u)
        << "a request that fails gets no 304, even for *";
}

TEST(ChartRevalidation, FastCgiAnswersFromItsCacheOnlyWhatAFreshDrawingWouldGive) {
    ScratchDir dir;
    FastCgiServer server(dir, 1);
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");
    const auto fast = [&](const CgiRequest& request) { return Split(FastCgiAnswer(server.Socket(), request)); };
    const auto cgi = [&](const CgiRequest& request) { return RunProgram(dir.Program(), request); };
    const std::string plain = "command=view&filename=q.pol";
    const std::string shaped = plain + "&style=3&3D=yes&3DDepth=80&color=99&number=Antworten&width=350";
    dir.Write("q.pol", "d,a,yes\r\nd,a,no\r\n");

    const CgiResult shapedFirst = fast(GetRequest(shaped));
    ASSERT_TRUE(DecodeGif(shapedFirst.body).ok);
    for (int round = 0; round < 2; ++round) {
        // Drawn the first time, from the cache the second: both as standard CGI draws them.
        const CgiResult answer = fast(GetRequest(plain));
        const CgiResult standard = cgi(GetRequest(plain));
        EXPECT_TRUE(answer.body == standard.body) << "round " << round;
        EXPECT_EQ(answer.header, standard.header.substr(standard.header.find("ETag:"))) << "round " << round;
        EXPECT_TRUE(fast(GetRequest(shaped)).body == shapedFirst.body) << "round " << round;
    }
    const std::string tag = ETagOf(fast(GetRequest(plain)).header);
    EXPECT_EQ(FastCgiAnswer(server.Socket(), Revalidate(plain, tag)), "Status:304 Not Modified\r\nETag:" + tag + "\r\n\r\n");

    // Two answers within one tick of the file clock still change the poll's size.
    for (const char* answer : {"yes", "maybe"}) {
        fast(GetRequest(std::string("command=add&q.pol=") + answer));
        const CgiResult changed = fast(Revalidate(plain, tag));
        EXPECT_EQ(changed.header.find("Status:"), std::string::npos) << answer;
        EXPECT_TRUE(changed.body == cgi(GetRequest(plain)).body) << "a changed poll is drawn anew: " << answer;
    }
    fast(GetRequest("command=add&q.pol=no"));
    // Another process's answer changes the poll too.
    cgi(GetRequest("command=add&q.pol=no"));
    EXPECT_TRUE(fast(GetRequest(plain)).body == cgi(GetRequest(plain)).body);
}

TEST(ChartRevalidation, WithTheCacheSwitchedOffEveryViewIsDrawnTheSame) {
    ScratchDir dir;
    FastCgiServer server(dir, 1, {{"TALLYHOUSE_CHART_CACHE_MB", "0"}});
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");
    const std::string expected = RunProgram(dir.Program(), GetRequest("command=view")).output;
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE("HTTP/1.1 200 OK\r\n" + FastCgiAnswer(server.Socket(), GetRequest("command=view")) == expected) << i;
}

}  // namespace
