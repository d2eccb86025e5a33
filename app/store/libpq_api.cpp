#include "app/store/libpq_api.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

namespace tallyhouse::app {

namespace {

TLibPq Load() {
    void* library = dlopen("libpq.so.5", RTLD_NOW | RTLD_LOCAL);
    if (!library) throw EStoreError(std::string("Cannot load libpq (install libpq5): ") + dlerror());
    TLibPq api;
    // A libpq without one of these is not the library the program was built against.
    const auto bind = [library](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        if (!function) throw EStoreError(std::string("libpq lacks ") + name);
    };
#define TALLYHOUSE_LIBPQ_BIND(name) bind(api.name, #name);
    TALLYHOUSE_LIBPQ_FUNCTIONS(TALLYHOUSE_LIBPQ_BIND)
#undef TALLYHOUSE_LIBPQ_BIND
    return api;
}

}  // namespace

// Loaded once for the process (its threads share it); a failed load is tried again next time.
const TLibPq& LibPq() {
    static std::once_flag once;
    static TLibPq api;
    std::call_once(once, [] { api = Load(); });
    return api;
}

}  // namespace tallyhouse::app
