// Answers kept as poll files in the program's folder, one answer a line, each file extended
// under its lock (app/poll_file.h).
#pragma once

#include "app/store/answer_store.h"

namespace tallyhouse::app {

class TPollFolderStore : public TAnswerStore {
public:
    // folder ends with "/".
    explicit TPollFolderStore(std::string folder) : folder_(std::move(folder)) {}

    TAddResult AddAnswers(const TAddRequest& request) override;
    // The file's device, inode, size and modification and change times to the nanosecond; while
    // the file is younger than a file clock's coarsest tick, also a checksum of its content.
    std::optional<std::string> PollIdentity(const std::string& name) override;
    std::optional<TCountedPoll> CountPoll(const std::string& name) override;
    // The secret file beside the program.
    const TInstallationSecret& Secret() override;
    bool ExportPoll(const std::string& name, const std::function<void(std::string_view)>& onPiece) override;

private:
    std::string folder_;
};

}  // namespace tallyhouse::app
