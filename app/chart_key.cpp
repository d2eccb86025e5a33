#include "app/chart_key.h"

#include <cstdio>
#include <set>
#include <vector>

#include "app/poll_name.h"
#include "app/tally.h"
#include "engine/core/http_engine.h"
#include "platform/text/ascii_text.h"
#include "app/fnv1a.h"
#include "platform/text/font_files.h"
#include "platform/os/system_module.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

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

// A new build of the program may draw differently: its charts get other keys. The build of
// the running code counts, not the file on disk, which a deploy replaces under running workers.
const std::string& ProgramKey() { return RunningImageIdentity(); }

}  // namespace

std::optional<std::string> PollKey(const std::string& filename, TAnswerStore& store) {
    if (SampleTally(filename)) return "sample:" + filename;
    if (!IsChartablePoll(filename)) return std::nullopt;
    return store.PollIdentity(filename);
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

}  // namespace tallyhouse::app
