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

// Something of that name exists in the folder (a file, or a link even when it leads nowhere).
bool PollFileExists(const std::string& path);

// The bytes of a poll file as they were when it was opened, mapped read-only (large polls are
// read without copying them).
class PollFileText {
public:
    PollFileText(const void* data, size_t size) : data_(data), size_(size) {}
    ~PollFileText();
    PollFileText(PollFileText&& other) noexcept;
    PollFileText(const PollFileText&) = delete;
    PollFileText& operator=(const PollFileText&) = delete;
    PollFileText& operator=(PollFileText&&) = delete;

    std::string_view View() const { return {static_cast<const char*>(data_), size_}; }

private:
    const void* data_;
    size_t size_;
};

// The content of a poll file, or nothing when no regular file has that name. Raises
// EFileError when the file exists but cannot be read.
std::optional<PollFileText> ReadPollFile(const std::string& path);
