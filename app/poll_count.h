// How many poll files the program's folder may hold: each one costs disk and an inode, and a
// visitor could otherwise create thousands a second. The setting TALLYHOUSE_MAX_POLLS sets the
// bound (default 1000); existing polls keep taking answers beyond it.
#pragma once

#include <cstddef>
#include <string>

#include "app/poll_answers.h"

namespace tallyhouse::app {

// An add that would create poll files beyond the bound; nothing of it is recorded.
class EPollFolderFull : public EAnswersRefused {
public:
    using EAnswersRefused::EAnswersRefused;
};

// The bound of this process's settings.
std::size_t MaxPollFiles();

// The poll files (names ending in exactly ".pol") in the folder.
std::size_t CountPollFiles(const std::string& folder);

// The refusal of polls beyond the bound.
EPollFolderFull PollFolderFull(std::size_t bound);

// Raises EPollFolderFull when creating that many more poll files would pass the bound.
void CheckRoomForPolls(const std::string& folder, std::size_t created);

}  // namespace tallyhouse::app
