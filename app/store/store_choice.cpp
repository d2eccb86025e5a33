#include "app/store/store_choice.h"

#include "app/store/poll_folder_store.h"
#include "app/store/postgres_store.h"

namespace tallyhouse::app {

std::unique_ptr<TAnswerStore> OpenAnswerStore(const std::string& folder, const std::string& database) {
    if (database.empty()) return std::make_unique<TPollFolderStore>(folder);
    return std::make_unique<TPostgresStore>(database, folder);
}

}  // namespace tallyhouse::app
