// The tables the database keeps polls in, in a schema of their own ("tallyhouse"), made on the
// first connection to a database without them and carried forward by version when a later
// program changes them. Version 2:
//   polls           one row per poll: its name, whether it is closed, and the number of its
//                   answer lines counted in its tallies
//   answers         one row per answer line: the time stamp, client address and answer of a
//                   line the program wrote, or an imported line as it stood in its file; the
//                   ids follow each poll's order of lines
//   pending         one row per answer not yet counted in tallies (its poll, id and label):
//                   an answer only appends rows, and a view folds the pending rows into tallies
//   tallies         each poll's count of each answer and the id of the answer that first gave it
//   schema_version  the version, and a random id of this store made with it
// A poll's counts are its tallies and its pending rows together.
#pragma once

#include <string>
#include <string_view>

namespace tallyhouse::app {

class TPgConnection;

inline constexpr int kSchemaVersion = 2;

// Makes or migrates the schema when needed (in one transaction, one connection at a time) and
// returns the store's id. EStoreError when the database holds a newer schema than this program
// knows.
std::string PrepareSchema(TPgConnection& connection);

// The script that takes the schema from version from (0 to kSchemaVersion - 1) to the next.
std::string_view MigrationScript(int from);

}  // namespace tallyhouse::app
