#include "engine/core/error_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/text/display_text.h"
#include "platform/os/file_descriptor.h"
#include "platform/os/open_file.h"
#include "platform/os/record_lock.h"
#include "platform/os/system_file.h"
#include "platform/os/system_module.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

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

// Writers wait this long for each other while one of them renames a full log.
constexpr std::chrono::milliseconds kLogLockWait{1000};

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The message with its middle left out when it is long, cut between characters when it is
// UTF-8.
std::string Shortened(std::string_view message, bool utf8) {
    if (message.size() <= LogMessageHead + LogMessageTail + 3) return std::string(message);
    size_t head = LogMessageHead;
    size_t tail = message.size() - LogMessageTail;
    while (utf8 && head > 0 && IsContinuationByte(message[head])) --head;
    while (utf8 && tail < message.size() && IsContinuationByte(message[tail])) ++tail;
    return std::string(message.substr(0, head)) + "..." + std::string(message.substr(tail));
}

void AppendEscaped(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

// Control bytes of C0 (below 32), DEL, and C1 (0x80 to 0x9F, the 8-bit CSI and NEL among them)
// are escaped. In UTF-8 text the C1 controls are two bytes (C2 80 to C2 9F), escaped together,
// and the bytes of other characters stay as they are.
std::string EscapedControlBytes(std::string_view text, bool utf8) {
    std::string escaped;
    escaped.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = static_cast<unsigned char>(i + 1 < text.size() ? text[i + 1] : 0);
        if (utf8 && byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            AppendEscaped(escaped, byte);
            AppendEscaped(escaped, next);
            ++i;
        } else if (byte < 0x20 || byte == 0x7F || (!utf8 && byte >= 0x80 && byte <= 0x9F)) {
            AppendEscaped(escaped, byte);
        } else {
            escaped += static_cast<char>(byte);
        }
    }
    return escaped;
}

}  // namespace

std::string LogLine(const std::string& dateTime, int requestNumber, const std::string& message) {
    const bool utf8 = IsMultiByteUtf8(message);
    return dateTime + ",  " + std::to_string(requestNumber) + " : " + EscapedControlBytes(Shortened(message, utf8), utf8) +
           "\r\n";
}

// Only a regular file takes the line: a FIFO put in the log's place would hold the request (it is
// opened without waiting for a reader and then left alone), a device would take it anywhere.
// Writers hold the file's lock while they look at its size, so a full log is renamed once; one
// that finds the name taken by a new file meanwhile opens that one.
void AppendLogLine(const std::string& path, const std::string& line, off_t limit) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const TFileDescriptor file = TryOpenFile(
            path, {.Access = O_WRONLY | O_CREAT | O_APPEND, .CreationMode = 0640, .FollowLinks = true, .NonBlocking = true});
        struct stat info {};
        if (!file.IsOpen() || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return;
        const bool locked = WaitLockRecord(file.Get(), TLockKind::Exclusive, kLogLockWait) == TLockWait::Locked;
        if (locked && !StillNamedBy(file.Get(), path.c_str())) continue;
        if (::fstat(file.Get(), &info) != 0) return;
        if (info.st_size > 0 && info.st_size + static_cast<off_t>(line.size()) > limit) {
            // Full: the line is dropped unless the log can make room.
            if (!locked || std::rename(path.c_str(), (path + ".1").c_str()) != 0) return;
            continue;
        }
        const ssize_t written = ::write(file.Get(), line.data(), line.size());
        static_cast<void>(written);
        return;
    }
}

}  // namespace tallyhouse::engine
