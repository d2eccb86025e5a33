// Finds a font file at its Debian path, else asks fontconfig's fc-match, and caches the bytes.
#include "platform/font_files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/exception.h"
#include "platform/file_descriptor.h"

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string FamilyFor(const std::string& name) {
    const std::string n = Lower(name);
    if (n.find("courier") != std::string::npos || n.find("mono") != std::string::npos) return "Mono";
    if (n.find("times") != std::string::npos || n.find("serif") != std::string::npos) {
        return n.find("sans") != std::string::npos ? "Sans" : "Serif";
    }
    return "Sans";
}

std::string StyleFor(bool bold, bool italic) {
    if (bold && italic) return "BoldItalic";
    if (bold) return "Bold";
    return italic ? "Italic" : "Regular";
}

// Maps the whole file read-only for the rest of the process: only the pages FreeType reads
// are touched, and nothing is copied.
std::optional<TFontFileBytes> MapFile(const std::string& path) {
    const TFileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.IsOpen()) return std::nullopt;
    struct stat info {};
    void* data = MAP_FAILED;
    if (fstat(file.Get(), &info) == 0 && info.st_size > 0)
        data = mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, file.Get(), 0);
    if (data == MAP_FAILED) return std::nullopt;
    return TFontFileBytes(static_cast<const unsigned char*>(data), static_cast<std::size_t>(info.st_size));
}

// The file fontconfig picks for the Liberation family and style; empty when there is none.
std::string AskFontconfig(const std::string& family, bool bold, bool italic) {
    std::string pattern = "'Liberation " + family + ":style=" + (bold ? std::string("Bold") : std::string()) +
                          (bold && italic ? " " : "") + (italic ? "Italic" : "") + (!bold && !italic ? "Regular" : "") + "'";
    const std::string command = "fc-match -f '%{file}' " + pattern + " 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return std::string();
    std::string path;
    char buffer[512];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) path.append(buffer, n);
    return path;
}

TFontFileBytes LoadFont(const std::string& family, bool bold, bool italic) {
    const std::string file = "Liberation" + family + "-" + StyleFor(bold, italic) + ".ttf";
    for (const char* folder : {"/usr/share/fonts/truetype/liberation/", "/usr/share/fonts/truetype/liberation2/"})
        if (std::optional<TFontFileBytes> data = MapFile(folder + file)) return *data;
    const std::string found = AskFontconfig(family, bold, italic);
    if (!found.empty())
        if (std::optional<TFontFileBytes> data = MapFile(found)) return *data;
    throw Exception("Font file not found: " + file);
}

}  // namespace

TFontFileBytes FontFileData(const std::string& name, bool bold, bool italic) {
    static std::mutex lock;
    static std::map<std::string, TFontFileBytes> loaded;
    const std::string family = FamilyFor(name);
    const std::string key = family + "-" + StyleFor(bold, italic);
    const std::lock_guard<std::mutex> guard(lock);
    auto it = loaded.find(key);
    if (it == loaded.end()) it = loaded.emplace(key, LoadFont(family, bold, italic)).first;
    return it->second;
}
