#include "app/poll_count.h"

#include <dirent.h>

#include <memory>

#include "app/poll_name.h"
#include "engine/settings/operator_settings.h"
#include "platform/os/exception.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

std::size_t MaxPollFiles() { return OperatorSettings().MaxPolls; }

std::size_t CountPollFiles(const std::string& folder) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) throw Exception("Cannot read the poll folder " + folder);
    std::size_t count = 0;
    while (const dirent* entry = readdir(dir.get()))
        if (IsPollFieldName(entry->d_name)) ++count;
    return count;
}

EPollFolderFull PollFolderFull(std::size_t bound) {
    return EPollFolderFull("Answers refused: the folder holds its limit of " + std::to_string(bound) +
                           " poll files; no new poll is created");
}

void CheckRoomForPolls(const std::string& folder, std::size_t created) {
    if (created == 0) return;
    const std::size_t bound = MaxPollFiles();
    if (CountPollFiles(folder) + created > bound) throw PollFolderFull(bound);
}

}  // namespace tallyhouse::app
