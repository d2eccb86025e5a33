#include "platform/os/system_environment.h"

#include <cstdlib>

extern char** environ;

namespace tallyhouse::platform {

std::string GetEnv(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

std::vector<std::string> EnvironmentStrings() {
    std::vector<std::string> strings;
    for (char** entry = environ; entry && *entry; ++entry) strings.emplace_back(*entry);
    return strings;
}

}  // namespace tallyhouse::platform
