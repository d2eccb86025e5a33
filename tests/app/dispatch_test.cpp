#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/app/expected_pages.h"
#include "tests/support/cgi_runner.h"

using namespace testsupport;

namespace {

const std::string kTextHeader = "HTTP/1.1 200 OK\r\ncontent-type:text/html";

CgiResult Get(const ScratchDir& dir, const std::string& query) {
    return RunProgram(dir.Program(), GetRequest(query));
}

TEST(Dispatch, NoCommandAnswersTheHelpPageInLatin1) {
    ScratchDir dir;
    for (const char* query : {"", "command=", "Command=&backurl=x"}) {
        const CgiResult result = Get(dir, query);
        EXPECT_EQ(result.exitCode, 0) << query;
        EXPECT_EQ(result.output, kTextHeader + "\r\n\r\n" + SentHelpPage()) << query;
    }
    const std::string body = Get(dir, "").body;
    EXPECT_NE(body.find("<p align=\"center\"><font face=\"Arial\">Version 1.00s - 05/29/1999</font></p>\r\n"),
              std::string::npos);
    EXPECT_NE(body.find("Mehr \xFC" "ber Tallyhouse"), std::string::npos);
    EXPECT_EQ(body.find("\xC3"), std::string::npos) << "UTF-8 in the page";
    EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), 638);
}

TEST(Dispatch, HelpPageNamesEveryParameterAndColour) {
    ScratchDir dir;
    const std::string body = Get(dir, "").body;
    for (const char* text :
         {"<strong>command</strong>", "<strong>backurl<br>(for add)</strong>", "<strong>xxx.pol<br>(for add)</strong>",
          "<strong>filename<br>(for view)</strong>", "<strong>style</strong>", "<strong>color</strong>",
          "<strong>height</strong>", "<strong>width</strong>", "<strong>border</strong>",
          "<strong>backcolor</strong>", "<strong>chartbacktopcolor</strong>", "<strong>chartbackbottomcolor</strong>",
          "<strong>legend</strong>", "<strong>legendstyle</strong>", "<strong>marks</strong>",
          "<strong>marksstyle</strong>", "<strong>number</strong>", "<strong>numbercolor</strong>",
          "<strong>3d</strong>", "<strong>3dorthogonal</strong>", "<strong>3drotation</strong>",
          "<strong>3delevation</strong>", "<strong>3dzoom</strong>", "<strong>3ddepth</strong>",
          "<font color=\"#0080C0\"><strong>7</strong></font>", "(4=white)", "name=\"question1.pol\" value=\"yes\"",
          "<option>average</option>", "<title>Brightloom - TALLYHOUSE [Help/Hilfe]</title>",
          "<a name=\"deutsch\"></a>", "<strong>Sicherheit</strong>", "<strong>Security</strong>"}) {
        EXPECT_NE(body.find(text), std::string::npos) << text;
    }
}

TEST(Dispatch, HelpPageSaysWhatTheProgramDraws) {
    ScratchDir dir;
    const std::string body = Get(dir, "").body;
    const struct {
        const char* text;
        bool shown;
    } cases[] = {
        {"0 = &quot;bar vertical&quot;<br>\r\n    1 = &quot;bar horizontal&quot;<br>", true},
        {"0 = &quot;Balken vertikal&quot;<br>\r\n    1 = &quot;Balken horizontal&quot;<br>", true},
        {"<strong>3ddepth</strong></small></font></td>\r\n    <td width=\"25%\" valign=\"top\"><font "
         "face=\"Arial\"><small>1 to 100</small>", true},
        {"<strong>3ddepth</strong></small></font></td>\r\n    <td width=\"25%\" valign=\"top\"><font "
         "face=\"Arial\"><small>1 bis 100</small>", true},
        {"0 = &quot;bar horizontal", false},
        {"0 = &quot;Balken horizontal", false},
        {"0 to 100", false},
        {"0 bis 100", false},
    };
    for (const auto& c : cases) EXPECT_EQ(body.find(c.text) != std::string::npos, c.shown) << c.text;
}

TEST(Dispatch, CommandValuesAreComparedExactly) {
    ScratchDir dir;
    for (const char* query : {"command=VIEW", "command=View", "command=ADD&q.pol=1", "command=other"}) {
        const CgiResult result = Get(dir, query);
        EXPECT_EQ(result.output, kTextHeader + "\r\n\r\n") << query;
    }
    EXPECT_FALSE(dir.Exists("q.pol"));
}

TEST(Dispatch, ApacheAndNetscapeGetNoStatusLine) {
    ScratchDir dir;
    for (const char* software : {"Apache/2.4.57 (Debian)", "Netscape-Enterprise/6.0"}) {
        CgiRequest request = GetRequest("command=add&q.pol=1");
        request.env["SERVER_SOFTWARE"] = software;
        const CgiResult result = RunProgram(dir.Program(), request);
        EXPECT_EQ(result.header, "content-type:text/html") << software;
    }
}

TEST(Dispatch, AFailingRequestIsLoggedAndAnsweredWithItsStatusAndPage) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.Path() / "broken.pol");
    const CgiResult result = Get(dir, "command=add&broken.pol=yes");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "HTTP/1.1 400 Bad Request\r\nStatus:400 Bad Request\r\ncontent-type:text/html\r\n\r\n" +
                                 SentMessagePage("Answers refused: not a plain poll file: broken.pol"));
    const std::string log = dir.Read("Log/tallyhouse.Log");
    EXPECT_NE(log.find(" : Unhandled exception : "), std::string::npos) << log;
    EXPECT_NE(log.find("broken.pol"), std::string::npos) << log;
    EXPECT_EQ(log.back(), '\n');
}

}  // namespace
