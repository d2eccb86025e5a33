// Finds a font file at its Debian path, else asks fontconfig's fc-match, and caches the bytes.
#include "platform/text/font_files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/os/exception.h"
#include "platform/os/file_descriptor.h"
#include "platform/os/open_file.h"

namespace tallyhouse::platform {

namespace {

// A font file by its Debian name, the folders Debian puts it in, and what to ask fontconfig.
struct TWantedFont {
    std::string file;
    std::vector<std::string> folders;
    std::string pattern;
};

// A font file as found and mapped; Bytes is empty when it is installed nowhere.
struct TFoundFont {
    std::string path;
    TFontFileBytes bytes;
    struct stat info {};
};

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

TWantedFont Liberation(const std::string& family, bool bold, bool italic) {
    const std::string style = std::string(bold ? "Bold" : "") + (bold && italic ? " " : "") + (italic ? "Italic" : "") +
                              (!bold && !italic ? "Regular" : "");
    return {"Liberation" + family + "-" + StyleFor(bold, italic) + ".ttf",
            {"/usr/share/fonts/truetype/liberation/", "/usr/share/fonts/truetype/liberation2/"},
            "Liberation " + family + ":style=" + style};
}

TWantedFont DejaVuSans(bool bold) {
    return {bold ? "DejaVuSans-Bold.ttf" : "DejaVuSans.ttf",
            {"/usr/share/fonts/truetype/dejavu/"},
            bold ? "DejaVu Sans:style=Bold" : "DejaVu Sans:style=Book"};
}

// Maps the whole file read-only for the rest of the process: only the pages FreeType reads
// are touched, and nothing is copied.
std::optional<TFoundFont> MapFile(const std::string& path) {
    const TFileDescriptor file = TryOpenFile(path, {.Access = O_RDONLY, .FollowLinks = true});
    if (!file.IsOpen()) return std::nullopt;
    TFoundFont found{path, {}, {}};
    void* data = MAP_FAILED;
    if (fstat(file.Get(), &found.info) == 0 && found.info.st_size > 0)
        data = mmap(nullptr, static_cast<std::size_t>(found.info.st_size), PROT_READ, MAP_PRIVATE, file.Get(), 0);
    if (data == MAP_FAILED) return std::nullopt;
    found.bytes = TFontFileBytes(static_cast<const unsigned char*>(data), static_cast<std::size_t>(found.info.st_size));
    return found;
}

// The file fontconfig picks for the pattern; empty when there is none.
std::string AskFontconfig(const std::string& pattern) {
    const std::string command = "fc-match -f '%{file}' '" + pattern + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return std::string();
    std::string path;
    char buffer[512];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) path.append(buffer, n);
    return path;
}

TFoundFont Find(const TWantedFont& wanted) {
    for (const std::string& folder : wanted.folders)
        if (std::optional<TFoundFont> found = MapFile(folder + wanted.file)) return *found;
    const std::string path = AskFontconfig(wanted.pattern);
    if (!path.empty())
        if (std::optional<TFoundFont> found = MapFile(path)) return *found;
    return TFoundFont{};
}

// Every font file looked for in this process, by its Debian name; a missing one is remembered
// too, so neither drawing nor naming the files asks fontconfig again.
class TFontRegistry {
public:
    const TFoundFont& Get(const TWantedFont& wanted) {
        auto it = found_.find(wanted.file);
        if (it == found_.end()) it = found_.emplace(wanted.file, Find(wanted)).first;
        return it->second;
    }
    // The files of the given names only: which others a process happened to load must not
    // make its keys differ from another's.
    std::string Identity(std::initializer_list<TWantedFont> fonts) {
        std::string text;
        for (const TWantedFont& wanted : fonts) {
            const TFoundFont& found = Get(wanted);
            text += wanted.file + "=";
            if (found.bytes.empty()) {
                text += "missing;";
                continue;
            }
            text += found.path + "," + std::to_string(found.info.st_size) + "," + std::to_string(found.info.st_mtim.tv_sec) +
                    "." + std::to_string(found.info.st_mtim.tv_nsec) + ";";
        }
        return text;
    }
    std::mutex& Lock() { return lock_; }

private:
    std::mutex lock_;
    std::map<std::string, TFoundFont> found_;
};

TFontRegistry& Registry() {
    static TFontRegistry registry;
    return registry;
}

}  // namespace

TFontFileBytes FontFileData(const std::string& name, bool bold, bool italic) {
    const TWantedFont wanted = Liberation(FamilyFor(name), bold, italic);
    const std::lock_guard<std::mutex> guard(Registry().Lock());
    const TFontFileBytes bytes = Registry().Get(wanted).bytes;
    if (bytes.empty()) throw Exception("Font file not found: " + wanted.file);
    return bytes;
}

TFontFileBytes FallbackFontData(bool bold) {
    const std::lock_guard<std::mutex> guard(Registry().Lock());
    return Registry().Get(DejaVuSans(bold)).bytes;
}

// The files are looked for once per process, so their names are made once too.
std::string FontFilesIdentity() {
    const std::lock_guard<std::mutex> guard(Registry().Lock());
    static const std::string identity = Registry().Identity({Liberation("Sans", false, false), DejaVuSans(false)});
    return identity;
}

}  // namespace tallyhouse::platform
