#include "app/poll_transfer.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "app/poll_file.h"
#include "app/poll_name.h"
#include "app/store/postgres_store.h"
#include "app/store/store_choice.h"
#include "engine/settings/operator_settings.h"
#include "platform/os/system_module.h"
#include "platform/os/write_all.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

void Say(int fd, const std::string& text) {
    if (!WriteAll(fd, text.data(), text.size())) throw EFileError("Cannot write the tool's output");
}

int ExportPoll(const std::string& name) {
    const std::unique_ptr<TAnswerStore> store = OpenAnswerStore(ModuleFolder() + "/", OperatorSettings().Database);
    const bool found = IsChartablePoll(name) && store->ExportPoll(name, [](std::string_view piece) {
        if (!WriteAll(1, piece.data(), piece.size())) throw EFileError("Cannot write to standard output");
    });
    if (found) return 0;
    Say(2, "No poll named " + name + "\n");
    return kFailed;
}

// The poll files of a folder, by name: plain files (no links) named as polls are named.
std::vector<std::string> PollFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (IsChartablePoll(name) && IsPlainFile(entry.path().string())) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

int ImportPolls(const std::string& folder) {
    const std::string& database = OperatorSettings().Database;
    if (database.empty()) {
        Say(2, "--import-polls copies poll files into a database: set TALLYHOUSE_DATABASE\n");
        return kUsage;
    }
    TPostgresStore store(database, ModuleFolder() + "/");
    int result = 0;
    for (const std::string& name : PollFilesIn(folder)) {
        std::string text;
        ReadPollFile(folder + "/" + name, [&text](std::string_view piece) { text += piece; });
        std::int64_t added = 0;
        switch (store.ImportPoll(name, text, added)) {
            case TImportResult::Imported: Say(1, name + ": " + std::to_string(added) + " lines imported\n"); break;
            case TImportResult::Unchanged: Say(1, name + ": unchanged\n"); break;
            case TImportResult::Differs:
                Say(1, name + ": differs from the poll of that name in the database; left alone\n");
                result = kFailed;
                break;
        }
    }
    return result;
}

}  // namespace

std::optional<int> RunPollTransfer(const std::vector<std::string>& parameters) {
    if (parameters.empty() || (parameters[0] != "--import-polls" && parameters[0] != "--export-poll")) return std::nullopt;
    if (parameters.size() != 2) {
        Say(2, "Usage: tallyhouse.cgi --import-polls FOLDER | --export-poll NAME\n");
        return kUsage;
    }
    // A tool run from a terminal tells what failed and ends with a code that says so.
    try {
        return parameters[0] == "--export-poll" ? ExportPoll(parameters[1]) : ImportPolls(parameters[1]);
    } catch (const std::exception& failure) {
        Say(2, std::string(failure.what()) + "\n");
        return kFailed;
    }
}

}  // namespace tallyhouse::app
