// Runs the built program's resident CGI server for a test: started the way a site starts it
// (the first request in a server mode), stopped with SIGTERM.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>

#include "tests/support/cgi_runner.h"

namespace testsupport {

// Server files of the program in a scratch folder.
std::string ServerListOf(const ScratchDir& dir);
std::string ServerMarkOf(const ScratchDir& dir);
bool ServerShown(const ScratchDir& dir);
// Waits up to Seconds for Condition.
bool WaitFor(double seconds, const std::function<bool()>& condition);

// A request as the web server would start it, in the given CGI mode ("" for the stored one).
CgiRequest ModeRequest(CgiRequest request, const std::string& mode);

class ResidentServer {
public:
    // Serves RequestQuery through a request process in Mode, which starts the server; the
    // server keeps that process's environment, with Settings added.
    ResidentServer(const ScratchDir& dir, const std::string& mode, const std::string& requestQuery = "",
                   const std::map<std::string, std::string>& settings = {});
    ~ResidentServer();
    ResidentServer(const ResidentServer&) = delete;
    ResidentServer& operator=(const ResidentServer&) = delete;

    pid_t Pid() const { return pid_; }
    const CgiResult& FirstResponse() const { return first_; }
    // SIGTERM, then waits for the process; true when it ended.
    bool Stop();
    // SIGKILL, then waits for the process.
    void Kill();

private:
    bool Reap(double seconds);

    const ScratchDir& dir_;
    CgiResult first_;
    pid_t pid_ = -1;
};

}  // namespace testsupport
