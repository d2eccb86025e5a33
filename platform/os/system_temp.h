// The program's folder for files that live only while requests are handed around.
#pragma once

#include <string>

namespace tallyhouse::platform {

// The module's folder followed by "/Temp", created when missing; the module's folder itself
// when that cannot be created.
std::string TempFolder();

}  // namespace tallyhouse::platform
