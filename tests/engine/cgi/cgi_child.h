// The engine test program doubles as a CGI program: started with ENGINE_CHILD_SCENARIO in its
// environment it serves one request through the standard CGI engine before any test runs.
#pragma once

#include <string>

#include "tests/support/cgi_runner.h"

// A request to this very program running the named scenario, logging into logDir.
testsupport::CgiRequest ChildRequest(testsupport::CgiRequest request, const std::string& scenario,
                                     const std::string& logDir);
testsupport::CgiResult RunChild(const testsupport::CgiRequest& request);
