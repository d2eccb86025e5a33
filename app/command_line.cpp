#include "app/command_line.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/pages.h"
#include "app/poll_transfer.h"
#include "engine/fastcgi/fastcgi_start.h"
#include "engine/settings/operator_settings.h"
#include "platform/os/system_environment.h"
#include "platform/os/system_module.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace {

constexpr int kUsageError = 2;

std::string SettingsText() {
    std::string text = "Settings, as environment variables of the web server or service:\n";
    for (const TSettingDescription& setting : SettingDescriptions())
        text += "  " + std::string(setting.Name) + ": " + setting.Takes + "\n";
    text += "  CGI_LOG_DIR: the log's folder; LC_TIME: the locale of the answers' time stamps\n";
    try {
        OperatorSettings();
        text += "The settings of this environment are sound.\n";
    } catch (const ESettingsError& error) {
        text += std::string("Bad setting in this environment: ") + error.what() + "\n";
    }
    return text;
}

std::string UsageText() {
    return "Tallyhouse, a web poll server: a web server runs this program for each request.\n"
           "  As a CGI program: let the web server run this file (README, \"Deployment\").\n"
           "  As a resident CGI server, by hand: SERVER_SOFTWARE=site tallyhouse.cgi START_SERVER\n"
           "  For a Windows CGI request: tallyhouse.cgi REQUEST-FILE\n"
           "  tallyhouse.cgi --help | --version\n"
           "With TALLYHOUSE_DATABASE set, moving polls between poll files and the database:\n"
           "  tallyhouse.cgi --import-polls FOLDER    copies the folder's .pol files in (again: only new lines)\n"
           "  tallyhouse.cgi --export-poll NAME       writes a poll as its poll file to standard output\n"
           "As FastCGI workers, for a web server's FastCGI:\n" +
           FastCgiUsage() + "\n" + SettingsText();
}

bool HasCgiEnvironment() {
    for (const char* name : {"SERVER_SOFTWARE", "GATEWAY_INTERFACE", "REQUEST_METHOD", "CGI_VERSION"})
        if (!GetEnv(name).empty()) return true;
    return false;
}

}  // namespace

std::optional<int> AnswerCommandLine() {
    const std::vector<std::string>& parameters = ProgramParameters();
    if (parameters.size() == 1 && parameters[0] == "--help") {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (parameters.size() == 1 && parameters[0] == "--version") {
        std::printf("tallyhouse.cgi %s\n", std::string(kVersionText).c_str());
        return 0;
    }
    if (const std::optional<int> transferred = RunPollTransfer(parameters)) return transferred;
    if (parameters.empty() && !HasCgiEnvironment() && isatty(STDIN_FILENO)) {
        std::fputs(("This program answers requests a web server hands it; started by hand it has none.\n" +
                    UsageText()).c_str(),
                   stderr);
        return kUsageError;
    }
    return std::nullopt;
}

}  // namespace tallyhouse::app
