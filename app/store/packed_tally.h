// A poll's counts as the database sends them: each label's count, the id of its first answer and
// its length, then its bytes, packed into one value; one value for the counts in the poll's
// tallies and one for its pending answers.
#pragma once

#include <string_view>

#include "app/tally.h"

namespace tallyhouse::app {

// The two packed lists counted together, in tally order: largest count first, equal counts in
// the order of their first answers. EStoreError for a value cut short.
Tally UnpackTally(std::string_view counted, std::string_view pending);

}  // namespace tallyhouse::app
