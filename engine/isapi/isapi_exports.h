// How the server-extension library starts the application: its start routine is registered
// when the library is loaded and runs once, before the first exported entry point does its work.
#pragma once

namespace tallyhouse::engine {

void SetLibraryStart(void (*start)());

}  // namespace tallyhouse::engine
