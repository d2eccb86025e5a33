#include "tests/support/chromium.h"

#include <unistd.h>

#include "tests/support/cgi_runner.h"

namespace testsupport {

namespace {

const char kChromium[] = "/usr/bin/chromium";

}  // namespace

bool ChromiumInstalled() { return access(kChromium, X_OK) == 0; }

Picture ChromiumScreenshot(const std::filesystem::path& page, int width, int height, int scale, std::string& failure) {
    const std::filesystem::path folder = page.parent_path();
    const std::filesystem::path shot = folder / ("screenshot-" + page.stem().string() + ".png");
    CgiRequest request;
    request.env = {{"PATH", "/usr/bin:/bin"}, {"HOME", folder.string()}};
    request.args = {"--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run",
                    "--hide-scrollbars", "--user-data-dir=" + (folder / "chromium-profile").string(),
                    "--force-device-scale-factor=" + std::to_string(scale),
                    "--window-size=" + std::to_string(width) + "," + std::to_string(height),
                    "--screenshot=" + shot.string(), "file://" + page.string()};
    request.timeoutSeconds = 120;
    const CgiResult result = RunProgram(kChromium, request);
    Picture picture = result.exitCode == 0 ? PictureOfPng(ReadFile(shot)) : Picture{};
    if (picture.width == 0) failure = "chromium (exit " + std::to_string(result.exitCode) + "): " + result.errors;
    return picture;
}

}  // namespace testsupport
