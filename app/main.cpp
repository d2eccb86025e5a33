// The program's entry point: creates the poll application, which serves the request.
#include <csignal>
#include <optional>

#include "app/command_line.h"
#include "app/hauptseite.h"
#include "engine/core/program_end.h"
#include "engine/facade/general_http_engine.h"
#include "engine/fastcgi/fastcgi_startup.h"
#include "engine/resident/cgi_server_mode.h"
#include "engine/wincgi/cgi_win_server.h"

using namespace tallyhouse::engine;
using namespace tallyhouse::app;

int main() {
    if (const std::optional<int> exitCode = AnswerCommandLine()) return *exitCode;
    // A poll file that hits the file size limit must fail its write, not kill the process.
    std::signal(SIGXFSZ, SIG_IGN);
    InstallFastCgiEngine();
    try {
        // A request that a resident CGI server takes is handed over here, before any form
        // exists; a FastCGI process has no request of its own to hand over.
        if (!ChooseEngines(CurrentStartKind()).FastCgi) {
            CgiServer::UnitStartup();
            CgiWinServer::UnitStartup();
        }
        THauptseite Hauptseite;
    } catch (const TProgramEnd& end) {
        // The request is answered or handed over; what was built for it is gone by now.
        return end.exitCode;
    }
    return 0;
}
