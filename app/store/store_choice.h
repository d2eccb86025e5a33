// Which store keeps the answers: a PostgreSQL database when the operator names one in
// TALLYHOUSE_DATABASE (a libpq connection string or URI), the poll files of the program's folder
// otherwise.
#pragma once

#include <memory>
#include <string>

#include "app/store/answer_store.h"

// The database's connection string, read once per process; empty for none.
const std::string& ConfiguredDatabase();

// folder is the program's folder (ending with "/"): it holds the poll files, or, with a
// database, the key file that forbids new polls.
std::unique_ptr<TAnswerStore> OpenAnswerStore(const std::string& folder);
