// Where the running module (program or server-extension library) lives and how it was started.
#pragma once

#include <string>
#include <vector>

// Full path of the program file, or of the shared library when the code runs loaded as one.
std::string ModuleFileName();
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
