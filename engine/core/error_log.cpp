#include "engine/core/error_log.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/system_file.h"
#include "platform/system_module.h"

std::string LogFilePath(const std::string& moduleFile, const std::string& logDir) {
    const size_t slash = moduleFile.rfind('/');
    const std::string moduleFolder = slash == std::string::npos ? "." : moduleFile.substr(0, slash);
    const std::string base = moduleFile.substr(slash == std::string::npos ? 0 : slash + 1);
    std::string folder = moduleFolder + "/Log";
    if (!logDir.empty()) folder = logDir[0] == '/' ? logDir : moduleFolder + "/" + logDir;
    folder = CollapseSeparators(folder);
    if (!ForceDirectory(folder)) folder = moduleFolder;
    return CollapseSeparators(folder + "/" + base.substr(0, base.find('.')) + ".Log");
}

std::string LogLine(const std::string& dateTime, int requestNumber, const std::string& message) {
    return dateTime + ",  " + std::to_string(requestNumber) + " : " + message + "\r\n";
}

void AppendLogLine(const std::string& path, const std::string& line) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const ssize_t written = ::write(fd, line.data(), line.size());
    static_cast<void>(written);
    ::close(fd);
}
