// Fuzzes the multipart conversion: the first byte sets the size of the pieces the body arrives
// in, the rest is the body; stored uploads go to a folder of the fuzzer's own and are removed.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/form/multipart.h"

using namespace tallyhouse::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tallyhouse-fuzz-multipart-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t chunk = static_cast<size_t>(data[0]) * 7 + 1;
    size_t at = 0;
    const TBodyReader reader = [&](char* buffer, int count) {
        const size_t n = std::min({body.size() - at, static_cast<size_t>(count), chunk});
        body.copy(buffer, n, at);
        at += n;
        return static_cast<int>(n);
    };
    std::vector<std::string> created;
    int next = 0;
    const TMultipartUploads uploads{folder.string(), &created, [&](int) { return next++; }};
    ConvertMultipart(reader, static_cast<long long>(body.size()), uploads);
    for (const std::string& file : created) std::filesystem::remove(file);
    return 0;
}
