// Where the running module (program or server-extension library) lives and how it was started.
#pragma once

#include <string>
#include <vector>

namespace tallyhouse::platform {

// Full path of the program file, or of the shared library when the code runs loaded as one.
std::string ModuleFileName();
// What tells this build of the running module from any other: the linker's build id of the
// code as it was loaded, in hex. A program file replaced on disk does not change it for the
// processes still running the old one. When the module has no build id, the identity of the
// module file as it was when first asked.
const std::string& RunningImageIdentity();
// The folder of ModuleFileName(), without a trailing separator.
std::string ModuleFolder();
// True when this code runs inside a shared library loaded by another program.
bool IsLibrary();
// The command-line parameters after the program name.
const std::vector<std::string>& ProgramParameters();
// A relative folder counts from the module's folder; "//" and "/./" collapse to "/".
std::string ResolveFromModule(const std::string& folder);
// Collapses doubled separators and "/./" in a path.
std::string CollapseSeparators(std::string path);

}  // namespace tallyhouse::platform
