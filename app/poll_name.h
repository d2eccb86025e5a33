// Which form field names are poll files, and which names may be opened beside the program.
#pragma once

#include <string_view>

namespace tallyhouse::app {

// The extension is the text from the last "." when no "\" or ":" follows it; a poll file's
// extension is exactly ".pol" (lower case).
bool IsPollFieldName(std::string_view name);

// A name stays inside the program's folder: no "/", "\", NUL byte or ".." component,
// and not empty.
bool IsSafeFileName(std::string_view name);

// Besides the samples only poll files are charted, the names add records answers in: never the
// program, the key file or whatever else lies beside them.
bool IsChartablePoll(std::string_view name);

}  // namespace tallyhouse::app
