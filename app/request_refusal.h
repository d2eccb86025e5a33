// A request the program refuses on purpose: the status of the answer and what the message page
// says, besides the log line the message gives.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/os/exception.h"

namespace tallyhouse::app {

class ERequestRefused : public platform::Exception {
public:
    ERequestRefused(std::string status, std::string page, const std::string& logLine)
        : platform::Exception(logLine), Status(std::move(status)), Page(std::move(page)) {}
    std::string Status;  // "403 Forbidden"
    std::string Page;    // the message page's text, HTML
    // Header lines the answer carries besides ("Allow").
    std::vector<std::pair<std::string, std::string>> Headers;
};

}  // namespace tallyhouse::app
