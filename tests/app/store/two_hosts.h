// Two web hosts sharing one database, as a site behind a load balancer runs them: two program
// folders, each served by a FastCGI pool of its own with TALLYHOUSE_DATABASE set, and one nginx
// whose upstream spreads /cgi-bin/tallyhouse.cgi over both. /a/tallyhouse.cgi and
// /b/tallyhouse.cgi reach one host each.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>

#include "tests/support/cgi_runner.h"
#include "tests/support/fastcgi_client.h"
#include "tests/support/http_client.h"

class TwoHosts {
public:
    // settings: further environment of both hosts' workers.
    TwoHosts(const std::string& conninfo, int workersEach, std::map<std::string, std::string> settings = {});
    ~TwoHosts();
    TwoHosts(const TwoHosts&) = delete;
    TwoHosts& operator=(const TwoHosts&) = delete;

    bool Running() const;
    std::string ErrorLog() const;
    // path is "/cgi-bin/", "/a/" or "/b/"; query starts with "?".
    testsupport::HttpResponse Get(const std::string& path, const std::string& query,
                                  const std::string& headers = "") const;
    const testsupport::FastCgiServer& PoolA() const { return *poolA_; }

private:
    testsupport::ScratchDir a_, b_, conf_;
    std::unique_ptr<testsupport::FastCgiServer> poolA_, poolB_;
    testsupport::PortReservation port_;
    pid_t nginx_ = -1;
};
