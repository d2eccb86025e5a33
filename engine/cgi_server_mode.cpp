// The CGI server modes (a resident process serving requests that short-lived request processes
// hand over through files). This build has no resident server: a process that would become one,
// or a request in a server mode, says so in the log and ends without output.
#include "engine/cgi_std_engine.h"

void TCGIStdEngine::SetUpServer() {
    LogError("CGI server modes are not available in this build");
    TerminateProgram();
}

void TCGIStdEngine::DispatchServerRequest(const std::string&) {
    LogError("CGI server modes are not available in this build");
    TerminateProgram();
}
