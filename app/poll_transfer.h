// The command-line tools that move polls between poll files and the database:
//   tallyhouse.cgi --import-polls FOLDER   copies the .pol files of FOLDER into the database of
//                                          TALLYHOUSE_DATABASE; run again, it adds only lines
//                                          appended to a file since
//   tallyhouse.cgi --export-poll NAME      writes the poll NAME, as its poll file holds it or
//                                          would hold it, to standard output
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tallyhouse::app {

// The exit code when the parameters name one of the tools (which has then run); none otherwise.
std::optional<int> RunPollTransfer(const std::vector<std::string>& parameters);

}  // namespace tallyhouse::app
