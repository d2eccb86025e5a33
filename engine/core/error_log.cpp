#include "engine/core/error_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_descriptor.h"
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

namespace {

std::string EscapedControlBytes(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            escaped += c;
            continue;
        }
        escaped += "\\x";
        escaped += kHex[byte >> 4];
        escaped += kHex[byte & 0xF];
    }
    return escaped;
}

}  // namespace

std::string LogLine(const std::string& dateTime, int requestNumber, const std::string& message) {
    return dateTime + ",  " + std::to_string(requestNumber) + " : " + EscapedControlBytes(message) + "\r\n";
}

// Only a regular file takes the line: a FIFO put in the log's place would hold the request (it is
// opened without waiting for a reader and then left alone), a device would take it anywhere.
void AppendLogLine(const std::string& path, const std::string& line) {
    const TFileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0644));
    if (!file.IsOpen()) return;
    struct stat info {};
    if (::fstat(file.Get(), &info) == 0 && S_ISREG(info.st_mode)) {
        const ssize_t written = ::write(file.Get(), line.data(), line.size());
        static_cast<void>(written);
    }
}
