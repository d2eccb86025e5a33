#include "app/poll_count.h"

#include <dirent.h>

#include <memory>

#include "app/poll_name.h"
#include "platform/exception.h"
#include "platform/system_environment.h"

namespace {

constexpr std::size_t kDefaultMaxPolls = 1000;
constexpr std::size_t kLargestMaxPolls = 1000000;

std::size_t ReadMaxPolls() {
    const std::string text = GetEnv("TALLYHOUSE_MAX_POLLS");
    if (text.empty()) return kDefaultMaxPolls;
    if (text.size() > 7 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(text) > kLargestMaxPolls)
        throw Exception("TALLYHOUSE_MAX_POLLS must be a number from 0 to 1000000, not '" + text + "'");
    return std::stoul(text);
}

}  // namespace

std::size_t MaxPollFiles() {
    static const std::size_t bound = ReadMaxPolls();
    return bound;
}

std::size_t CountPollFiles(const std::string& folder) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) throw Exception("Cannot read the poll folder " + folder);
    std::size_t count = 0;
    while (const dirent* entry = readdir(dir.get()))
        if (IsPollFieldName(entry->d_name)) ++count;
    return count;
}

void CheckRoomForPolls(const std::string& folder, std::size_t created) {
    if (created == 0) return;
    const std::size_t bound = MaxPollFiles();
    if (CountPollFiles(folder) + created > bound)
        throw EPollFolderFull("Answers refused: the folder holds its limit of " + std::to_string(bound) +
                              " poll files; no new poll is created");
}
