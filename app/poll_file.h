// Reading and extending poll files under an exclusive record lock, so answers sent at the
// same moment by several processes are all kept.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "platform/os/exception.h"

namespace tallyhouse::app {

// Refused: the key file forbade a new poll file. Withheld: the guard kept the lines out.
enum class AppendResult { Appended, Refused, Withheld };

// What runs under the poll file's exclusive lock around the write: May decides whether the
// lines go in at all, Written follows their write. Either may be empty.
struct TAppendGuard {
    std::function<bool()> May;
    std::function<void()> Written;
};

// How long an answer or a view waits for the poll file's lock.
inline constexpr std::chrono::milliseconds PollLockWait{5000};

// The poll file's lock was held by another process for all of PollLockWait.
class EPollBusy : public platform::EFileError {
public:
    using platform::EFileError::EFileError;
};

// Adds answer lines (joined by CR LF) at the end of the poll file in one write; only the new
// bytes are written, so a failure can never damage earlier answers (partly written lines are
// cut off again and EFileError is raised; EPollBusy when the lock cannot be had in time). A
// missing file is created (mode 0640 less the umask) unless keyPath exists, in which case
// nothing is written and the result is Refused.
AppendResult AppendAnswer(const std::string& path, const std::string& keyPath, std::string_view lines,
                          const TAppendGuard& guard = {});

// Something of that name exists in the folder (a file, or a link even when it leads nowhere).
bool PollFileExists(const std::string& path);
// A regular file of that name, not reached through a link.
bool IsPlainFile(const std::string& path);
// A poll file the program may not write, or that no one may write (a read-only file, a
// read-only file system): the operator has closed the poll.
bool IsClosedPollFile(const std::string& path);

// Hands the bytes of a poll file to OnPiece, piece by piece, up to the size it had when its lock
// let it be measured (an answer being appended then is waited for; later ones lie beyond): the
// file is read, never mapped, so one emptied or cut short meanwhile (by hand, without the lock)
// only ends the reading early. False when no regular file has that name (a link is not
// followed); EFileError when the file exists but cannot be read, EPollBusy when it stays locked.
bool ReadPollFile(const std::string& path, const std::function<void(std::string_view)>& onPiece);

}  // namespace tallyhouse::app
