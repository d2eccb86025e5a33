// What a request that failed answers: a status and a message page, the same through every web
// server. A refused request gets a 4xx status and says why; a failure of the server gets 500
// and a page that leaves the reason to the log, as it may name files and folders.
#pragma once

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace tallyhouse::app {

struct TFailureAnswer {
    std::string Status;
    std::string Page;  // HTML; empty: no answer at all (the client has gone)
    std::vector<std::pair<std::string, std::string>> Headers;
};

TFailureAnswer FailureAnswerOf(const std::exception& failure);

}  // namespace tallyhouse::app
