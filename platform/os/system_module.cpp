#include "platform/os/system_module.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <limits.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/os/file_descriptor.h"
#include "platform/os/open_file.h"
#include "platform/os/read_up_to.h"

namespace tallyhouse::platform {

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
        // Read without a stream: a stream's locale set-up would cost every CGI start more than
        // the reading itself.
        const TFileDescriptor file = TryOpenFile("/proc/self/cmdline", {.Access = O_RDONLY});
        std::string all;
        char buffer[4096];
        // ReadUpToAt fills the buffer unless the file ends: a short read is the last one.
        for (ssize_t n = sizeof buffer; file.IsOpen() && n == sizeof buffer;) {
            n = ReadUpToAt(file.Get(), buffer, sizeof buffer, static_cast<off_t>(all.size()));
            if (n > 0) all.append(buffer, static_cast<std::size_t>(n));
        }
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

namespace {

struct TBuildIdSearch {
    const void* code = nullptr;  // an address inside the module whose id is wanted
    std::string id;
};

// The NT_GNU_BUILD_ID note of one loaded object's PT_NOTE segments, in hex; empty without one.
std::string BuildIdOf(const dl_phdr_info& object) {
    for (int i = 0; i < object.dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = object.dlpi_phdr[i];
        if (segment.p_type != PT_NOTE) continue;
        const auto* at = reinterpret_cast<const unsigned char*>(object.dlpi_addr + segment.p_vaddr);
        const unsigned char* const end = at + segment.p_memsz;
        while (at + sizeof(ElfW(Nhdr)) <= end) {
            const auto* note = reinterpret_cast<const ElfW(Nhdr)*>(at);
            const unsigned char* desc = at + sizeof(ElfW(Nhdr)) + ((note->n_namesz + 3) & ~3u);
            if (note->n_type == NT_GNU_BUILD_ID && desc + note->n_descsz <= end) {
                std::string hex;
                for (unsigned k = 0; k < note->n_descsz; ++k) {
                    static const char kDigits[] = "0123456789abcdef";
                    hex += kDigits[desc[k] >> 4];
                    hex += kDigits[desc[k] & 15];
                }
                return hex;
            }
            at = desc + ((note->n_descsz + 3) & ~3u);
        }
    }
    return {};
}

int FindBuildId(dl_phdr_info* object, std::size_t, void* data) {
    auto* search = static_cast<TBuildIdSearch*>(data);
    const auto code = reinterpret_cast<ElfW(Addr)>(search->code);
    for (int i = 0; i < object->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = object->dlpi_phdr[i];
        const ElfW(Addr) start = object->dlpi_addr + segment.p_vaddr;
        if (segment.p_type == PT_LOAD && code >= start && code < start + segment.p_memsz) {
            search->id = BuildIdOf(*object);
            return 1;
        }
    }
    return 0;
}

std::string ModuleFileIdentity() {
    struct stat info {};
    if (stat(ModuleFileName().c_str(), &info) != 0) return "unknown";
    return "file:" + std::to_string(info.st_dev) + "." + std::to_string(info.st_ino) + "." +
           std::to_string(info.st_size) + "." + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

}  // namespace

const std::string& RunningImageIdentity() {
    static const std::string identity = [] {
        TBuildIdSearch search{reinterpret_cast<const void*>(&FindBuildId), {}};
        dl_iterate_phdr(FindBuildId, &search);
        return search.id.empty() ? ModuleFileIdentity() : "build:" + search.id;
    }();
    return identity;
}

}  // namespace tallyhouse::platform
