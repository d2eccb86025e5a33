// The one-answer record of a poll, kept beside its poll file as "<poll>.answered": the keyed
// hashes of the visitors (by visitor id or address) whose answer the poll took, each with the
// time of it. The file is a hash table with open addressing, so a check and a note read and
// write a few slots however many answers the poll has; the poll file stays the plain answer
// log it always was. A record is used only while its poll file's exclusive lock is held.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os/file_descriptor.h"

namespace tallyhouse::app {

inline constexpr char kAnswerRecordSuffix[] = ".answered";

class TAnswerRecord {
public:
    // Opens the record of the poll file at pollPath, making an empty one when missing. Raises
    // EFileError when it cannot be opened or made, or is damaged.
    explicit TAnswerRecord(const std::string& pollPath);

    // An answer was noted for the key less than windowSeconds before now (0: at any time).
    bool Answered(std::uint64_t key, std::int64_t now, std::int64_t windowSeconds);
    // Notes an answer for the key at now (a key noted before takes the new time).
    void Note(std::uint64_t key, std::int64_t now);
    // Counts a repeat answer that was not recorded. The repeats to report in the log: all not
    // reported yet when the last report is a minute old (the first at once), else 0.
    std::uint64_t CountRepeat(std::int64_t now);
    // The number of keys noted.
    std::uint64_t Keys() const { return count_; }

private:
    class TTableImage;
    struct TSlot {
        std::uint64_t Index = 0;
        bool Found = false;
        std::int64_t Time = 0;
    };
    TSlot Find(std::uint64_t key);
    void ReadHeader();
    void WriteWord(int word, std::uint64_t value);
    void Grow();
    void Replace(const TTableImage& table);
    [[noreturn]] void Fail(const std::string& what) const;

    std::string path_;
    platform::TFileDescriptor file_;
    std::uint64_t capacity_ = 0;  // slots, a power of two
    std::uint64_t count_ = 0;
};

}  // namespace tallyhouse::app
