// What the program's template pages look like once sent: every template line ends with
// CR LF and the tag stands replaced.
#pragma once

#include <string>
#include <string_view>

#include "app/pages.h"

inline std::string SentPage(std::string_view page, std::string_view tag, std::string_view replacement) {
    std::string sent;
    size_t start = 0;
    while (start <= page.size()) {
        size_t end = page.find('\n', start);
        if (end == std::string_view::npos) end = page.size();
        sent.append(page.substr(start, end - start));
        sent += "\r\n";
        start = end + 1;
    }
    const size_t at = sent.find(tag);
    if (at != std::string::npos) sent.replace(at, tag.size(), replacement);
    return sent;
}

inline std::string SentMessagePage(std::string_view message) {
    return SentPage(tallyhouse::app::MessagePageTemplate(), "%message%", message);
}

inline std::string SentHelpPage() { return SentPage(tallyhouse::app::HelpPageTemplate(), "%version%", tallyhouse::app::kVersionText); }
