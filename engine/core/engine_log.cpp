// Writes an error log line without an engine object.
#include "engine/core/engine_log.h"

#include <ctime>
#include <exception>

#include "engine/core/error_log.h"
#include "engine/core/request_state.h"
#include "platform/os/system_environment.h"
#include "platform/os/system_module.h"
#include "platform/os/system_time.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

void LogEngineMessage(const std::string& message) {
    try {
        const std::string path = LogFilePath(ModuleFileName(), GetEnv("CGI_LOG_DIR"));
        AppendLogLine(path, LogLine(DateTimeString(std::time(nullptr)), RequestState().RequestNumber, message));
    } catch (const std::exception&) {
        // A log that cannot be written must not end the request.
    }
}

}  // namespace tallyhouse::engine
