// A real browser (headless Chromium) behind lighttpd: the start page's example form is sent,
// the redirect leads back to the start page, and its chart images load at their size; forms
// declared UTF-8 and ISO-8859-1 send umlauts, "€" and commas that are counted alike.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/cgi_runner.h"
#include "tests/support/gif_decode.h"
#include "tests/support/web_server.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const char kChromium[] = "/usr/bin/chromium";
const char kProgram[] = "/cgi-bin/tallyhouse.cgi";

// Runs once the page and its images have loaded. The first visit sends the form as it stands
// (the defaults: yes, very good); the visit the redirect brings back loads every chart, those
// shown on the page and those its links lead to (the tallies as data aside), and records their sizes in an attribute of
// the body, which the dumped DOM carries out.
const char kProbe[] = R"(<script>
function loaded(src) {
  return new Promise(done => {
    const img = new Image();
    img.onload = img.onerror = () => done(img);
    img.src = src;
  });
}
window.addEventListener('load', async () => {
  if (!sessionStorage.getItem('sent')) {
    sessionStorage.setItem('sent', 'yes');
    document.forms[0].submit();
    return;
  }
  const shown = [...document.images].filter(img => img.src.includes('command=view'));
  const linked = await Promise.all([...document.links].filter(a => a.href.includes('command=view') &&
                                                                   !a.href.includes('format='))
                                                      .map(a => loaded(a.href)));
  document.body.setAttribute('data-probe', 'back at ' + location.pathname + ';' +
      shown.concat(linked).map(img => img.src + ' ' + img.naturalWidth + 'x' + img.naturalHeight).join(';'));
});
</script>
)";

std::string StartPage(const std::string& extra) {
    std::string page = ReadFile(fs::path(TALLYHOUSE_SOURCE_DIR) / "scripts" / "start_page.html");
    page = std::regex_replace(page, std::regex("@PROGRAM@"), kProgram);
    return std::regex_replace(page, std::regex("</body>"), extra + "</body>");
}

CgiResult RunChromium(const fs::path& profile, const std::vector<std::string>& args) {
    CgiRequest request;
    request.env = {{"PATH", "/usr/bin:/bin"}, {"HOME", profile.string()}};
    request.args = {"--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run",
                    "--user-data-dir=" + profile.string(), "--virtual-time-budget=10000"};
    request.args.insert(request.args.end(), args.begin(), args.end());
    request.timeoutSeconds = 120;
    return RunProgram(kChromium, request);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
    return parts;
}

std::string Unescaped(std::string text) {
    return std::regex_replace(text, std::regex("&amp;"), "&");
}

TEST(Browser, ExampleFormIsSentAndTheChartsShowOnTheStartPage) {
    if (access(kChromium, X_OK) != 0) GTEST_SKIP() << "chromium is not installed";
    if (!WebServerInstalled(WebServerKind::Lighttpd)) GTEST_SKIP() << "lighttpd is not installed";
    ScratchDir dir;
    // The form's backurl "/" names the start page, served as the index of the same folder.
    dir.Write("index.html", StartPage(kProbe));
    dir.Write("plain.html", StartPage(""));
    WebServer server(WebServerKind::Lighttpd, dir.Path());
    ASSERT_TRUE(server.Running()) << server.ErrorLog();
    const std::string site = "http://127.0.0.1:" + std::to_string(server.Port());

    const CgiResult visit = RunChromium(dir.Path() / "profile", {"--dump-dom", site + "/"});
    ASSERT_EQ(visit.exitCode, 0) << visit.errors;
    std::smatch probe;
    ASSERT_TRUE(std::regex_search(visit.output, probe, std::regex("data-probe=\"([^\"]*)\"")))
        << "the redirect did not bring the browser back to the start page:\n" << visit.output;
    const std::vector<std::string> found = Split(Unescaped(probe[1]), ';');
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0], "back at /");

    bool pollChart = false;
    for (size_t i = 1; i < found.size(); ++i) {
        SCOPED_TRACE(found[i]);
        EXPECT_EQ(found[i].find(" 0x0"), std::string::npos) << "a chart image did not load";
        if (found[i].find("filename=question1.pol") == std::string::npos) continue;
        pollChart = true;
        // No size asked for: the chart's own 400 x 250.
        EXPECT_NE(found[i].find(" 400x250"), std::string::npos);
    }
    EXPECT_TRUE(pollChart) << "no chart of question1.pol on the start page";

    const std::string yes = dir.Read("question1.pol"), rating = dir.Read("question2.pol");
    EXPECT_TRUE(std::regex_match(yes, std::regex("[^,\r\n]+,127\\.0\\.0\\.1,yes\r\n"))) << yes;
    EXPECT_TRUE(std::regex_match(rating, std::regex("[^,\r\n]+,127\\.0\\.0\\.1,very good\r\n"))) << rating;

    // A picture of the start page with the recorded answer, for a person to look at.
    const fs::path shot = fs::path(TALLYHOUSE_BINARY_DIR) / "sheets" / "browser.png";
    fs::create_directories(shot.parent_path());
    fs::remove(shot);
    const CgiResult picture = RunChromium(dir.Path() / "profile", {"--window-size=900,1100",
                                                                   "--screenshot=" + shot.string(), site + "/plain.html"});
    EXPECT_EQ(picture.exitCode, 0) << picture.errors;
    EXPECT_EQ(ReadFile(shot).substr(0, 8), "\x89PNG\r\n\x1a\n");
}

// A form of a radio group, a checkbox group and a free-text field (polls <prefix>_radio.pol,
// _box.pol and _text.pol) in a page of the given charset, answered and sent as soon as it has
// loaded. The answers are written as character references, so the page's bytes are ASCII and
// the browser alone encodes them by the charset.
std::string VotePage(const std::string& charset, const std::string& method, const std::string& prefix) {
    return R"(<!DOCTYPE html>
<html><head><meta charset=")" + charset + R"("><title>Vote</title></head><body>
<form method=")" + method + R"(" action="/cgi-bin/tallyhouse.cgi" accept-charset=")" + charset + R"(">
<input type="hidden" name="command" value="add">
<input type="hidden" name="backurl" value="/done.html?)" + prefix + R"(">
<input type="radio" name=")" + prefix + R"(_radio.pol" value="sehr gut">
<input type="radio" name=")" + prefix + R"(_radio.pol" value="gr&ouml;&szlig;tenteils gut, danke" id="chosen">
<input type="checkbox" name=")" + prefix + R"(_box.pol" value="&Auml;pfel" checked>
<input type="checkbox" name=")" + prefix + R"(_box.pol" value="Birnen, reif" checked>
<input type="checkbox" name=")" + prefix + R"(_box.pol" value="nichts">
<input type="checkbox" name=")" + prefix + R"(_box.pol" value="5 &euro;" checked>
<input type="text" name=")" + prefix + R"(_text.pol" id="text">
</form>
<script>
window.addEventListener('load', () => {
  document.getElementById('chosen').checked = true;
  document.getElementById('text').value = 'Schinken, ger\u00e4uchert, 3 \u20ac';
  document.forms[0].submit();
});
</script></body></html>
)";
}

// Where the redirect after voting leads: reads each poll's tally as JSON (the radio group's with
// its answers listed) and puts what the browser parsed into an attribute of the body.
const char kDonePage[] = R"(<!DOCTYPE html>
<html><head><meta charset="UTF-8"><title>Done</title></head><body>
<script>
window.addEventListener('load', async () => {
  const prefix = location.search.slice(1);
  const view = '/cgi-bin/tallyhouse.cgi?command=view&format=json&filename=' + prefix;
  const radio = '&answers=' + encodeURIComponent('sehr gut|gr\u00f6\u00dftenteils gut, danke');
  const tallies = await Promise.all([view + '_radio.pol' + radio, view + '_box.pol', view + '_text.pol']
                                        .map(url => fetch(url).then(answer => answer.json())));
  document.body.setAttribute('data-probe', JSON.stringify(tallies).replaceAll(prefix + '_', ''));
});
</script></body></html>
)";

std::string Unquoted(std::string text) { return std::regex_replace(Unescaped(text), std::regex("&quot;"), "\""); }

TEST(Browser, Utf8AndLatin1FormsAreCountedAlike) {
    if (access(kChromium, X_OK) != 0) GTEST_SKIP() << "chromium is not installed";
    if (!WebServerInstalled(WebServerKind::Lighttpd)) GTEST_SKIP() << "lighttpd is not installed";
    ScratchDir dir;
    // Sent with GET, Latin-1 bytes such as "\xF6" (o umlaut) in the address are refused by
    // lighttpd (400), which takes C0, C1 and F5 to FF for bytes no URL may hold.
    dir.Write("utf8.html", VotePage("UTF-8", "GET", "u"));
    dir.Write("latin1.html", VotePage("ISO-8859-1", "POST", "l"));
    dir.Write("done.html", kDonePage);
    WebServer server(WebServerKind::Lighttpd, dir.Path());
    ASSERT_TRUE(server.Running()) << server.ErrorLog();
    const std::string site = "http://127.0.0.1:" + std::to_string(server.Port());

    const std::string expected =
        "[{\"poll\":\"radio.pol\",\"total\":1,\"answers\":[{\"answer\":\"sehr gut\",\"count\":0},"
        "{\"answer\":\"gr\xC3\xB6\xC3\x9Ftenteils gut, danke\",\"count\":1}]},"
        "{\"poll\":\"box.pol\",\"total\":3,\"answers\":[{\"answer\":\"\xC3\x84pfel\",\"count\":1},"
        "{\"answer\":\"Birnen, reif\",\"count\":1},{\"answer\":\"5 \xE2\x82\xAC\",\"count\":1}]},"
        "{\"poll\":\"text.pol\",\"total\":1,\"answers\":[{\"answer\":\"Schinken, ger\xC3\xA4uchert, 3 \xE2\x82\xAC\",\"count\":1}]}]";
    for (const char* page : {"utf8.html", "latin1.html"}) {
        const CgiResult visit = RunChromium(dir.Path() / ("profile_" + std::string(page)), {"--dump-dom", site + "/" + page});
        ASSERT_EQ(visit.exitCode, 0) << visit.errors;
        std::smatch probe;
        ASSERT_TRUE(std::regex_search(visit.output, probe, std::regex("data-probe=\"([^\"]*)\"")))
            << page << ": the vote did not lead to the done page:\n" << visit.output;
        EXPECT_EQ(Unquoted(probe[1]), expected) << page;
    }
    EXPECT_NE(dir.Read("l_box.pol").find(",5 \x80\r\n"), std::string::npos) << "the Latin-1 form sent windows-1252";
    EXPECT_NE(dir.Read("u_box.pol").find(",5 \xE2\x82\xAC\r\n"), std::string::npos) << "the UTF-8 form sent UTF-8";

    for (const char* poll : {"radio.pol", "box.pol", "text.pol"}) {
        const auto gif = [&](const std::string& prefix) {
            return RunProgram(dir.Program(), GetRequest("command=view&style=3&filename=" + prefix + poll)).body;
        };
        EXPECT_TRUE(DecodeGif(gif("u_")).ok) << poll;
        EXPECT_TRUE(gif("u_") == gif("l_")) << poll << ": the UTF-8 poll is drawn otherwise than the Latin-1 one";
    }
}

}  // namespace
