// The NSAPI server library, bound at run time: the first server library that loads, and one
// entry per server function looked up in it by name (empty when it was not found).
#pragma once

#include <string>
#include <vector>

namespace tallyhouse::engine {

// The server libraries tried, in order: each name as given, then as lib<name>.so.
std::vector<std::string> ServerLibraryCandidates();
// The names of every server function bound.
const std::vector<std::string>& ServerFunctionNames();

// Loads the first of Candidates that loads and binds every server function in it; true when
// a library loaded. Failures leave the entries empty and are not reported.
bool BindServerLibrary(const std::vector<std::string>& candidates);
// Binds from ServerLibraryCandidates().
bool BindServerLibrary();
// The bound entry of Name, none when it is not bound.
void* ServerFunction(const std::string& name);

template <typename Function>
Function ServerCall(const std::string& name) {
    return reinterpret_cast<Function>(ServerFunction(name));
}

}  // namespace tallyhouse::engine
