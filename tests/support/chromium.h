// Headless Chromium as the browser that shows a page: a screenshot of it, decoded.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/picture_compare.h"

namespace testsupport {

bool ChromiumInstalled();

// The page (a file) shown in a window of width x height CSS pixels at the device scale (2 for a
// high-density display); the screenshot has scale times as many pixels each way. Empty when
// Chromium failed, with its errors in failure.
Picture ChromiumScreenshot(const std::filesystem::path& page, int width, int height, int scale, std::string& failure);

}  // namespace testsupport
