#include "app/answer_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/os/exception.h"
#include "platform/os/open_file.h"
#include "platform/os/read_up_to.h"
#include "platform/os/write_all.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

namespace {

// The header's eight words: the format's mark, the slots, the keys noted, the repeats not
// reported yet and the time of the last report. Each slot is a key (0: empty) and a time.
enum : int { kMarkWord, kCapacityWord, kCountWord, kRepeatsWord, kReportedWord, kHeaderWords = 8 };
constexpr std::uint64_t kMark = 0x3130445243454854;  // "THECRD01" read as a little-endian word
constexpr off_t kHeaderBytes = kHeaderWords * 8;
constexpr off_t kSlotBytes = 16;
constexpr std::uint64_t kFirstCapacity = 1024;
constexpr std::uint64_t kMaxCapacity = std::uint64_t{1} << 27;
// Slots read at once while probing: a key is almost always found within them.
constexpr std::uint64_t kProbeSlots = 16;
constexpr std::int64_t kReportSeconds = 60;

std::uint64_t Load(const unsigned char* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

void Store(unsigned char* bytes, std::uint64_t word) {
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    std::memcpy(bytes, &word, sizeof word);
}

// 0 marks an empty slot, so that key is kept as 1.
std::uint64_t StoredKey(std::uint64_t key) { return key == 0 ? 1 : key; }

off_t SlotOffset(std::uint64_t index) { return kHeaderBytes + static_cast<off_t>(index) * kSlotBytes; }

}  // namespace

// A table of the capacity in memory, header and slots, with the keys of an old one put in.
class TAnswerRecord::TTableImage {
public:
    explicit TTableImage(std::uint64_t capacity)
        : capacity_(capacity), bytes_(static_cast<size_t>(SlotOffset(capacity)), 0) {
        Store(&bytes_[0], kMark);
        Store(&bytes_[8], capacity);
    }
    void Put(const unsigned char* slot) {
        for (std::uint64_t index = Load(slot) & (capacity_ - 1);; index = (index + 1) & (capacity_ - 1)) {
            unsigned char* target = &bytes_[static_cast<size_t>(SlotOffset(index))];
            if (Load(target) != 0) continue;
            std::memcpy(target, slot, kSlotBytes);
            return;
        }
    }
    void SetWord(int word, std::uint64_t value) { Store(&bytes_[static_cast<size_t>(word) * 8], value); }
    const std::vector<unsigned char>& Bytes() const { return bytes_; }

private:
    std::uint64_t capacity_;
    std::vector<unsigned char> bytes_;
};

TAnswerRecord::TAnswerRecord(const std::string& pollPath) : path_(pollPath + kAnswerRecordSuffix) {
    file_ = TryOpenFile(path_, {.Access = O_RDWR, .NonBlocking = true});
    if (!file_.IsOpen() && errno != ENOENT) Fail("Cannot open the one-answer record");
    struct stat info {};
    if (file_.IsOpen() && fstat(file_.Get(), &info) != 0) Fail("Cannot read the one-answer record");
    if (file_.IsOpen() && !S_ISREG(info.st_mode)) {
        errno = EINVAL;
        Fail("Not a one-answer record");
    }
    if (!file_.IsOpen() || info.st_size == 0) Replace(TTableImage(kFirstCapacity));
    ReadHeader();
}

void TAnswerRecord::ReadHeader() {
    unsigned char header[kHeaderBytes];
    struct stat info {};
    if (ReadUpToAt(file_.Get(), header, sizeof header, 0) != kHeaderBytes || fstat(file_.Get(), &info) != 0)
        Fail("Cannot read the one-answer record");
    capacity_ = Load(header + 8 * kCapacityWord);
    count_ = Load(header + 8 * kCountWord);
    const bool sound = Load(header) == kMark && std::has_single_bit(capacity_) && capacity_ <= kMaxCapacity &&
                       count_ < capacity_ && info.st_size == SlotOffset(capacity_);
    if (!sound) {
        errno = EINVAL;
        Fail("The one-answer record is damaged (delete it to start it anew)");
    }
}

TAnswerRecord::TSlot TAnswerRecord::Find(std::uint64_t key) {
    unsigned char slots[kProbeSlots * kSlotBytes];
    std::uint64_t index = key & (capacity_ - 1);
    // Less than half the slots are taken, so an empty one comes before the probe wraps round.
    for (std::uint64_t probed = 0; probed < capacity_;) {
        const std::uint64_t run = std::min(kProbeSlots, capacity_ - index);
        const size_t bytes = static_cast<size_t>(run * kSlotBytes);
        if (ReadUpToAt(file_.Get(), slots, bytes, SlotOffset(index)) != static_cast<ssize_t>(bytes))
            Fail("Cannot read the one-answer record");
        for (std::uint64_t i = 0; i < run; ++i) {
            const std::uint64_t stored = Load(slots + i * kSlotBytes);
            if (stored == key || stored == 0)
                return {index + i, stored == key, static_cast<std::int64_t>(Load(slots + i * kSlotBytes + 8))};
        }
        probed += run;
        index = (index + run) & (capacity_ - 1);
    }
    errno = EINVAL;
    Fail("The one-answer record is damaged (delete it to start it anew)");
}

bool TAnswerRecord::Answered(std::uint64_t key, std::int64_t now, std::int64_t windowSeconds) {
    const TSlot slot = Find(StoredKey(key));
    return slot.Found && (windowSeconds == 0 || now - slot.Time < windowSeconds);
}

void TAnswerRecord::Note(std::uint64_t key, std::int64_t now) {
    key = StoredKey(key);
    const TSlot slot = Find(key);
    unsigned char bytes[kSlotBytes];
    Store(bytes, key);
    Store(bytes + 8, static_cast<std::uint64_t>(now));
    if (!WriteAllAt(file_.Get(), bytes, sizeof bytes, SlotOffset(slot.Index))) Fail("Cannot write the one-answer record");
    if (slot.Found) return;
    WriteWord(kCountWord, ++count_);
    if (count_ * 2 > capacity_) Grow();
}

std::uint64_t TAnswerRecord::CountRepeat(std::int64_t now) {
    unsigned char header[kHeaderBytes];
    if (ReadUpToAt(file_.Get(), header, sizeof header, 0) != kHeaderBytes) Fail("Cannot read the one-answer record");
    const std::uint64_t repeats = Load(header + 8 * kRepeatsWord) + 1;
    const auto reported = static_cast<std::int64_t>(Load(header + 8 * kReportedWord));
    if (reported != 0 && now - reported < kReportSeconds && now >= reported) {
        WriteWord(kRepeatsWord, repeats);
        return 0;
    }
    WriteWord(kRepeatsWord, 0);
    WriteWord(kReportedWord, static_cast<std::uint64_t>(now));
    return repeats;
}

void TAnswerRecord::WriteWord(int word, std::uint64_t value) {
    unsigned char bytes[8];
    Store(bytes, value);
    if (!WriteAllAt(file_.Get(), bytes, sizeof bytes, word * 8)) Fail("Cannot write the one-answer record");
}

void TAnswerRecord::Grow() {
    if (capacity_ * 2 > kMaxCapacity) {
        errno = EFBIG;
        Fail("The one-answer record is full");
    }
    TTableImage grown(capacity_ * 2);
    unsigned char header[kHeaderBytes];
    if (ReadUpToAt(file_.Get(), header, sizeof header, 0) != kHeaderBytes) Fail("Cannot read the one-answer record");
    for (const int word : {kCountWord, kRepeatsWord, kReportedWord}) grown.SetWord(word, Load(header + word * 8));
    constexpr std::uint64_t kRunSlots = 4096;
    std::vector<unsigned char> run(static_cast<size_t>(kRunSlots * kSlotBytes));
    for (std::uint64_t first = 0; first < capacity_; first += kRunSlots) {
        const size_t bytes = static_cast<size_t>(std::min(kRunSlots, capacity_ - first) * kSlotBytes);
        if (ReadUpToAt(file_.Get(), run.data(), bytes, SlotOffset(first)) != static_cast<ssize_t>(bytes))
            Fail("Cannot read the one-answer record");
        for (size_t at = 0; at < bytes; at += kSlotBytes)
            if (Load(&run[at]) != 0) grown.Put(&run[at]);
    }
    Replace(grown);
    capacity_ *= 2;
}

// The table is written whole beside the record and renamed over it: a failure or a crash on the
// way leaves the record as it was.
void TAnswerRecord::Replace(const TTableImage& table) {
    const std::string temporary = path_ + ".new";
    TFileDescriptor next = TryOpenFile(temporary, {.Access = O_RDWR | O_CREAT | O_TRUNC, .CreationMode = 0640});
    if (!next.IsOpen() || !WriteAllAt(next.Get(), table.Bytes().data(), table.Bytes().size(), 0) ||
        rename(temporary.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        errno = error;
        Fail("Cannot write the one-answer record");
    }
    file_ = std::move(next);
}

void TAnswerRecord::Fail(const std::string& what) const {
    throw EFileError(what + " \"" + path_ + "\": " + std::strerror(errno));
}

}  // namespace tallyhouse::app
