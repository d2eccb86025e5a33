#include "tests/engine/cgi/cgi_child.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine/cgi/cgi_std_engine.h"
#include "engine/core/program_end.h"
#include "platform/os/exception.h"
#include "platform/os/system_environment.h"
#include "platform/os/system_module.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace {

// Writes every field as name=value on a line of its own; a stored upload's content follows it.
void ListFields() {
    HttpWrite("<pre>\n");
    for (const std::string& name : HttpGetFieldNames()) {
        const std::string value = HttpGetField(name, NotAvailable);
        HttpWrite(name + "=" + value + "\n");
        if (name.size() > 9 && name.substr(name.size() - 9) == "_FILENAME") {
            std::ifstream in(value, std::ios::binary);
            std::ostringstream content;
            content << in.rdbuf();
            HttpWrite("stored:" + std::string(in ? "yes:" : "no:") + content.str() + "\n");
        }
    }
    HttpWrite("</pre>");
}

void Serve(const std::string& scenario) {
    THttpEngineProperties http;
    http.TempDir = GetEnv("ENGINE_CHILD_TEMPDIR");
    http.BufferedOutput = scenario == "buffered";
    int first = 0;
    http.OnFirstExecRequest = [&](THttpEngine&) { ++first; };
    http.OnExecRequest = [&](THttpEngine& engine) {
        if (scenario == "throw") throw Exception("handler failed");
        ListFields();
        HttpWrite("first=" + std::to_string(first) + " addr=" + HttpGetRemoteAddr() +
                  " path=" + HttpGetExecutablePath() + " software=" + engine.GetServerSoftware());
    };
    try {
        TCGIStdEngine::Create(StartedWithoutServer(), http, true);
    } catch (const TProgramEnd&) {
        std::exit(0);
    }
    std::exit(3);
}

const bool childServed = [] {
    const char* scenario = std::getenv("ENGINE_CHILD_SCENARIO");
    if (scenario) Serve(scenario);
    return false;
}();

}  // namespace

testsupport::CgiRequest ChildRequest(testsupport::CgiRequest request, const std::string& scenario,
                                     const std::string& logDir) {
    request.env["ENGINE_CHILD_SCENARIO"] = scenario;
    request.env["CGI_LOG_DIR"] = logDir;
    request.timeoutSeconds = 20;
    return request;
}

testsupport::CgiResult RunChild(const testsupport::CgiRequest& request) {
    return testsupport::RunProgram(ModuleFileName(), request);
}
