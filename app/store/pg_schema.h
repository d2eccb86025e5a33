// The tables the database keeps polls in, in a schema of their own ("tallyhouse"), made on the
// first connection to a database without them and carried forward by version when a later
// program changes them. Version 1:
//   polls           one row per poll: its name, the number of its answer lines and the id of
//                   the last one (together the poll's identity for chart keys and tags)
//   answers         one row per answer line: the time stamp, client address and answer of a
//                   line the program wrote, or an imported line as it stood in its file
//   tallies         each poll's count of each answer and the line that first gave it, kept in
//                   the transaction that adds the answer, so a view reads counts, not lines
//   schema_version  the version, and a random id of this store made with it
#pragma once

#include <string>

namespace tallyhouse::app {

class TPgConnection;

inline constexpr int kSchemaVersion = 1;

// Makes or migrates the schema when needed (in one transaction, one connection at a time) and
// returns the store's id. EStoreError when the database holds a newer schema than this program
// knows.
std::string PrepareSchema(TPgConnection& connection);

}  // namespace tallyhouse::app
