// Reading and extending poll files under an exclusive record lock, so answers sent at the
// same moment by several processes are all kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class AppendResult { Appended, Refused };

// Adds one answer line at the end of the poll file; only the new bytes are written, so a
// failure can never damage earlier answers (a partly written line is cut off again and
// EFileError is raised). A missing file is created unless keyPath exists, in which case
// nothing is written and the result is Refused.
AppendResult AppendAnswer(const std::string& path, const std::string& keyPath, std::string_view line);

// The whole content of a poll file, or nothing when no regular file has that name.
// Raises EFileError when the file exists but cannot be read.
std::optional<std::string> ReadPollFile(const std::string& path);
