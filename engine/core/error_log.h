// Where the error log lives and what one of its lines looks like.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace tallyhouse::engine {

// The log file for a module file: in the folder named by logDir (relative: from the module's
// folder) or else moduleFolder + "/Log", falling back to the module's folder when the folder
// cannot be made; named after the module file up to its first dot, with extension "Log".
std::string LogFilePath(const std::string& moduleFile, const std::string& logDir);
// A message longer than this much and the ellipsis keeps only its first LogMessageHead bytes
// and its last LogMessageTail (the reason of an OS error, say) with "..." between: a message
// may quote the request, and no request may write more than that into the log.
inline constexpr std::size_t LogMessageHead = 200;
inline constexpr std::size_t LogMessageTail = 40;
// The log file is renamed to "<log>.1" (replacing an older one) before it would grow beyond
// this, so the log takes at most twice this on the disk.
inline constexpr off_t LogFileLimit = 10 * 1024 * 1024;

// "<date time>,  <number> : <message>" CR LF, the message shortened as above and every
// control byte of it (C0, DEL and C1) written as "\x" and two hexadecimal digits, so no
// message adds a line or sends a terminal a control sequence.
std::string LogLine(const std::string& dateTime, int requestNumber, const std::string& message);
// Appends the line to the file when it is a regular file; a missing one is created with mode
// 0640 (less the umask): the log quotes requests, other users do not read it. A file that
// would grow past limit is renamed first; failures are ignored.
void AppendLogLine(const std::string& path, const std::string& line, off_t limit = LogFileLimit);

}  // namespace tallyhouse::engine
