#include "platform/system_module.h"

#include <dlfcn.h>
#include <link.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace {

// The link map entry of the object that holds this very function: an empty name means the
// main program, anything else is the path of a shared library.
std::string LibraryPath() {
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&LibraryPath), &info, reinterpret_cast<void**>(&map),
                RTLD_DL_LINKMAP) == 0 || map == nullptr || map->l_name == nullptr)
        return "";
    return map->l_name;
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

std::string ProgramPath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "";
    return std::string(buffer, static_cast<size_t>(n));
}

}  // namespace

bool IsLibrary() {
    static const bool library = !LibraryPath().empty();
    return library;
}

std::string ModuleFileName() {
    static const std::string name = IsLibrary() ? RealPath(LibraryPath()) : ProgramPath();
    return name;
}

std::string ModuleFolder() {
    const std::string name = ModuleFileName();
    const size_t slash = name.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return name.substr(0, slash);
}

// The command line does not change while the process runs: it is read once.
const std::vector<std::string>& ProgramParameters() {
    static const std::vector<std::string> parameters = [] {
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> words;
        size_t start = 0;
        while (start < all.size()) {
            size_t end = all.find('\0', start);
            if (end == std::string::npos) end = all.size();
            words.push_back(all.substr(start, end - start));
            start = end + 1;
        }
        if (!words.empty()) words.erase(words.begin());
        return words;
    }();
    return parameters;
}

std::string CollapseSeparators(std::string path) {
    for (size_t at; (at = path.find("/./")) != std::string::npos;) path.erase(at, 2);
    for (size_t at; (at = path.find("//")) != std::string::npos;) path.erase(at, 1);
    return path;
}

std::string ResolveFromModule(const std::string& folder) {
    if (folder.empty()) return ModuleFolder();
    if (folder[0] == '/') return CollapseSeparators(folder);
    return CollapseSeparators(ModuleFolder() + "/" + folder);
}
