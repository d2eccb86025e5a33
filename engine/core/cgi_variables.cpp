#include "engine/core/cgi_variables.h"

#include "platform/text/ascii_text.h"
#include "platform/os/system_environment.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

std::string CgiVariableKey(const std::string& Name) {
    std::string key = UpperCase(Name);
    for (char& c : key)
        if (c == ' ') c = '_';
    return key == "EXECUTABLE_PATH" ? "SCRIPT_NAME" : key;
}

std::string CgiVariableValue(const std::string& key, std::string value) {
    if (key == "SERVER_SOFTWARE" && value.find("ZB") != std::string::npos) return "";
    return value;
}

std::string CgiEnvironmentVariable(const std::string& Name) { return CgiVariableValue(Name, GetEnv(Name)); }

}  // namespace tallyhouse::engine
