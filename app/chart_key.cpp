#include "app/chart_key.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>
#include <vector>

#include "app/poll_file.h"
#include "app/poll_name.h"
#include "app/tally.h"
#include "engine/core/http_engine.h"
#include "platform/ascii_text.h"
#include "platform/fnv1a.h"
#include "platform/font_files.h"
#include "platform/keyed_hash.h"
#include "platform/system_module.h"

namespace {

// Each part with its length first, so no two lists of parts give the same text.
void Append(std::string& key, std::string_view part) {
    key += std::to_string(part.size());
    key += ':';
    key += part;
    key += ';';
}

// Every field of the request, whatever the view reads: each name as the field lookup matches
// it (letter case and surrounding blanks aside), sorted, with the number of its values and
// each value. A field sent with any value, even an empty one, is never the same as one not sent.
void AppendFields(std::string& key) {
    std::set<std::string> names;
    for (const std::string& name : HttpGetFieldNames()) names.insert(Trim(UpperCase(name)));
    Append(key, std::to_string(names.size()));
    for (const std::string& name : names) {
        const std::vector<std::string> values = HttpGetFieldValues(name);
        Append(key, name);
        Append(key, std::to_string(values.size()));
        for (const std::string& value : values) Append(key, value);
    }
}

// The fonts the chart is drawn with: other font files may draw other pixels.
std::string FontPartOfKey() { return FontFilesIdentity(); }

std::string Identity(const struct stat& info) {
    std::string text;
    for (const long long n : {static_cast<long long>(info.st_dev), static_cast<long long>(info.st_ino),
                              static_cast<long long>(info.st_size), static_cast<long long>(info.st_mtim.tv_sec),
                              static_cast<long long>(info.st_mtim.tv_nsec)})
        text += std::to_string(n) + ".";
    return text;
}

// The change time also moves with the permissions: a poll made unreadable is not answered
// from a chart drawn while it was readable.
std::string PollIdentity(const struct stat& info) {
    return Identity(info) + std::to_string(info.st_ctim.tv_sec) + "." + std::to_string(info.st_ctim.tv_nsec);
}

// File times move once a clock tick (a few milliseconds, a second or two on some file systems),
// so a poll rewritten to the same size within one tick would keep its key. While a poll is
// that young, its key also holds a checksum of its content.
constexpr time_t kRacySeconds = 2;

// Decided once per identity: a view that reads the key before and after counting must get the
// same key even when the window ends in between. An identity found old stays old, since a
// rewrite gives the file a time of now.
bool ChangedLately(const struct stat& info, const std::string& identity) {
    thread_local std::string lastIdentity;
    thread_local bool lastYoung = false;
    if (identity == lastIdentity) return lastYoung;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    lastIdentity = identity;
    lastYoung = std::max(info.st_mtim.tv_sec, info.st_ctim.tv_sec) + kRacySeconds >= now.tv_sec;
    return lastYoung;
}

// The same in every process (a fixed key), piece by piece as the poll file is read.
std::string ContentChecksum(const std::string& path) {
    std::uint64_t hash = 0;
    ReadPollFile(path, [&hash](std::string_view piece) { hash = SipHash13(piece, {hash, 0x706f6c6c66696c65ull}); });
    return std::to_string(hash);
}

// A new build of the program may draw differently: its charts get other keys. The build of
// the running code counts, not the file on disk, which a deploy replaces under running workers.
const std::string& ProgramKey() { return RunningImageIdentity(); }

}  // namespace

std::optional<std::string> PollKey(const std::string& filename, const std::string& folder) {
    if (SampleTally(filename)) return "sample:" + filename;
    if (!IsPollFieldName(filename) || !IsSafeFileName(filename)) return std::nullopt;
    struct stat info {};
    if (lstat((folder + filename).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    const std::string key = "file:" + PollIdentity(info);
    return ChangedLately(info, key) ? key + ":" + ContentChecksum(folder + filename) : key;
}

std::string ChartKey(const std::string& pollKey) {
    std::string key;
    Append(key, ProgramKey());
    Append(key, FontPartOfKey());
    Append(key, pollKey);
    AppendFields(key);
    return key;
}

// FNV-1a over the key with the usual basis and with a second one: 128 bits.
std::string EntityTag(const std::string& key) {
    char tag[40];
    std::snprintf(tag, sizeof tag, "\"%016llx%016llx\"", static_cast<unsigned long long>(Fnv1a(key)),
                  static_cast<unsigned long long>(Fnv1a(key, 0x6c62272e07bb0142ull)));
    return tag;
}

bool IfNoneMatchHas(const std::string& header, const std::string& tag) {
    size_t start = 0;
    while (start <= header.size()) {
        size_t end = header.find(',', start);
        if (end == std::string::npos) end = header.size();
        std::string item = Trim(std::string_view(header).substr(start, end - start));
        if (item == "*") return true;
        if (item.rfind("W/", 0) == 0) item.erase(0, 2);
        if (item == tag) return true;
        start = end + 1;
    }
    return false;
}
