// Which store keeps the answers: the PostgreSQL database the operator names in
// TALLYHOUSE_DATABASE (a libpq connection string or URI), or else the poll files of the
// program's folder.
#pragma once

#include <memory>
#include <string>

#include "app/store/answer_store.h"

namespace tallyhouse::app {

// folder is the program's folder (ending with "/"): it holds the poll files, or, with a
// database, the key file that forbids new polls.
std::unique_ptr<TAnswerStore> OpenAnswerStore(const std::string& folder, const std::string& database);

}  // namespace tallyhouse::app
