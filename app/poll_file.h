// Reading and extending poll files under an exclusive record lock, so answers sent at the
// same moment by several processes are all kept.
#pragma once

#include <functional>
#include <string>
#include <string_view>

enum class AppendResult { Appended, Refused };

// Adds answer lines (joined by CR LF) at the end of the poll file in one write; only the new
// bytes are written, so a failure can never damage earlier answers (partly written lines are
// cut off again and EFileError is raised). A missing file is created unless keyPath exists, in
// which case nothing is written and the result is Refused.
AppendResult AppendAnswer(const std::string& path, const std::string& keyPath, std::string_view lines);

// Something of that name exists in the folder (a file, or a link even when it leads nowhere).
bool PollFileExists(const std::string& path);
// A regular file of that name, not reached through a link.
bool IsPlainFile(const std::string& path);

// Hands the bytes of a poll file to OnPiece, piece by piece, up to the size it had when its lock
// let it be measured (an answer being appended then is waited for; later ones lie beyond): the
// file is read, never mapped, so one emptied or cut short meanwhile (by hand, without the lock)
// only ends the reading early. False when no regular file has that name (a link is not
// followed); EFileError when the file exists but cannot be read.
bool ReadPollFile(const std::string& path, const std::function<void(std::string_view)>& onPiece);
