#include "app/store/store_choice.h"

#include "app/store/poll_folder_store.h"
#include "app/store/postgres_store.h"
#include "platform/system_environment.h"

const std::string& ConfiguredDatabase() {
    static const std::string database = GetEnv("TALLYHOUSE_DATABASE");
    return database;
}

std::unique_ptr<TAnswerStore> OpenAnswerStore(const std::string& folder) {
    if (ConfiguredDatabase().empty()) return std::make_unique<TPollFolderStore>(folder);
    return std::make_unique<TPostgresStore>(ConfiguredDatabase(), folder);
}
