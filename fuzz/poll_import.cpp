// Fuzzes the taking apart of a poll file for the database: whatever bytes the file holds, its
// lines exported again give the file byte for byte, and their tally counts as the file's own.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/store/imported_lines.h"
#include "app/tally.h"

using namespace tallyhouse::app;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string exported;
    bool insideLine = false;
    std::vector<TImportedTally> tally =
        ImportLines(text, 0, 0, [&](const TAnswerFields& fields, std::string_view raw) {
            exported += ExportedLine(fields, raw.empty() ? std::nullopt : std::optional<std::string_view>(raw), insideLine);
        });
    if (exported != text) std::abort();
    std::stable_sort(tally.begin(), tally.end(), [](const TImportedTally& a, const TImportedTally& b) { return a.count > b.count; });
    const Tally counted = CountAnswers(text);
    if (counted.size() != tally.size()) std::abort();
    for (std::size_t i = 0; i < tally.size(); ++i)
        if (counted[i].label != tally[i].label || counted[i].count != tally[i].count) std::abort();
    return 0;
}
