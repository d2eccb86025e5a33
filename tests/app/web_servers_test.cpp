// The program behind three real web servers, as sites install it.
#include <gtest/gtest.h>

#include "tests/support/cgi_runner.h"
#include "tests/support/gif_decode.h"
#include "tests/support/http_client.h"
#include "tests/support/web_server.h"

using namespace testsupport;

namespace {

class WebServers : public ::testing::TestWithParam<WebServerKind> {
protected:
    void SetUp() override {
        if (!WebServerInstalled(GetParam())) GTEST_SKIP() << WebServerName(GetParam()) << " is not installed";
        server_ = std::make_unique<WebServer>(GetParam(), dir_.Path());
        ASSERT_TRUE(server_->Running()) << server_->ErrorLog();
    }
    HttpResponse Get(const std::string& query) {
        return HttpGet(server_->Port(), "/cgi-bin/tallyhouse.cgi" + query);
    }

    ScratchDir dir_;
    std::unique_ptr<WebServer> server_;
};

TEST_P(WebServers, HelpPage) {
    const HttpResponse r = Get("");
    EXPECT_EQ(r.status, 200) << server_->ErrorLog();
    EXPECT_EQ(r.Header("content-type").rfind("text/html", 0), 0u) << r.Header("content-type");
    EXPECT_NE(r.body.find("Version 1.00s - 05/29/1999"), std::string::npos);
    EXPECT_NE(r.body.find("</html>"), std::string::npos);
}

TEST_P(WebServers, AddRedirectsAndRecordsTheAnswer) {
    const HttpResponse r = Get("?command=add&backurl=http%3A%2F%2F127.0.0.1%2Findex.html&question1.pol=yes");
    EXPECT_EQ(r.status, 200) << server_->ErrorLog();
    EXPECT_NE(r.body.find("content=\"0;URL=http://127.0.0.1/index.html\">"), std::string::npos) << r.body;
    const std::string poll = dir_.Read("question1.pol");
    EXPECT_EQ(std::count(poll.begin(), poll.end(), '\n'), 1);
    EXPECT_NE(poll.find(",yes\r\n"), std::string::npos) << poll;
}

TEST_P(WebServers, PostedAddIsRecordedToo) {
    const HttpResponse r = HttpRequest(server_->Port(), "POST", "/cgi-bin/tallyhouse.cgi",
                                       "command=add&question2.pol=very+good");
    EXPECT_EQ(r.status, 200) << server_->ErrorLog();
    EXPECT_NE(r.body.find("Data saved correctly !"), std::string::npos) << r.body;
    EXPECT_NE(dir_.Read("question2.pol").find(",very good\r\n"), std::string::npos);
}

TEST_P(WebServers, MissingPollAnswers404AndTheMessagePage) {
    const HttpResponse r = Get("?command=view&filename=nosuch.pol");
    EXPECT_EQ(r.status, 404) << server_->ErrorLog();
    EXPECT_NE(r.body.find("Pollfile \"nosuch.pol\"not found !"), std::string::npos) << r.body;
}

TEST_P(WebServers, ViewAnswersAGifOfTheRequestedSize) {
    const HttpResponse r = Get("?command=view&style=3&3D=yes&width=300&height=200");
    EXPECT_EQ(r.status, 200) << server_->ErrorLog();
    EXPECT_EQ(r.Header("content-type"), "image/gif");
    const DecodedGif gif = DecodeGif(r.body);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.width, 300);
    EXPECT_EQ(gif.height, 200);
}

TEST_P(WebServers, AChartIsRevalidatedWith304) {
    const HttpResponse chart = Get("?command=view&style=1");
    const std::string tag = chart.Header("etag");
    ASSERT_EQ(tag.size(), 34u) << chart.statusLine;
    const HttpResponse again =
        HttpRequest(server_->Port(), "GET", "/cgi-bin/tallyhouse.cgi?command=view&style=1", "", "", "If-None-Match: " + tag + "\r\n");
    EXPECT_EQ(again.status, 304) << again.statusLine << server_->ErrorLog();
    EXPECT_EQ(again.body, "");
}

TEST_P(WebServers, OversizeChartIsRefusedWith400AndAMessage) {
    const HttpResponse r = Get("?command=view&width=100000");
    EXPECT_EQ(r.status, 400) << server_->ErrorLog();
    EXPECT_EQ(r.Header("content-type").rfind("text/html", 0), 0u) << r.Header("content-type");
    EXPECT_NE(r.body.find("between 1 and 4096"), std::string::npos) << r.body;
}

INSTANTIATE_TEST_SUITE_P(Servers, WebServers,
                         ::testing::Values(WebServerKind::Lighttpd, WebServerKind::Apache, WebServerKind::Nginx),
                         [](const auto& param) { return std::string(WebServerName(param.param)); });

}  // namespace
