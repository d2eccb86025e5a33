// Where the error log lives and what one of its lines looks like.
#pragma once

#include <string>

// The log file for a module file: in the folder named by logDir (relative: from the module's
// folder) or else moduleFolder + "/Log", falling back to the module's folder when the folder
// cannot be made; named after the module file up to its first dot, with extension "Log".
std::string LogFilePath(const std::string& moduleFile, const std::string& logDir);
// "<date time>,  <number> : <message>" CR LF, every control byte of the message written as
// "\x" and two hexadecimal digits, so no message (which may quote the request) adds a line.
std::string LogLine(const std::string& dateTime, int requestNumber, const std::string& message);
// Appends the line to the file (created when missing) when it is a regular file; failures are
// ignored.
void AppendLogLine(const std::string& path, const std::string& line);
