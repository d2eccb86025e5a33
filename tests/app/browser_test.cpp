// A real browser (headless Chromium) behind lighttpd: the start page's example form is sent,
// the redirect leads back to the start page, and its chart images load at their size.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/cgi_runner.h"
#include "tests/support/web_server.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const char kChromium[] = "/usr/bin/chromium";
const char kProgram[] = "/cgi-bin/tallyhouse.cgi";

// Runs once the page and its images have loaded. The first visit sends the form as it stands
// (the defaults: yes, very good); the visit the redirect brings back loads every chart, those
// shown on the page and those its links lead to, and records their sizes in an attribute of
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
  const linked = await Promise.all([...document.links].filter(a => a.href.includes('command=view'))
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

}  // namespace
