// Finds a font file at its Debian path, else asks fontconfig's fc-match, and caches the bytes.
#include "platform/font_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "platform/exception.h"

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

bool ReadFile(const std::string& path, std::vector<unsigned char>& data) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file.get());
    if (size <= 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return false;
    data.resize(static_cast<std::size_t>(size));
    return std::fread(data.data(), 1, data.size(), file.get()) == data.size();
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

std::vector<unsigned char> LoadFont(const std::string& family, bool bold, bool italic) {
    std::vector<unsigned char> data;
    const std::string file = "Liberation" + family + "-" + StyleFor(bold, italic) + ".ttf";
    if (ReadFile("/usr/share/fonts/truetype/liberation/" + file, data)) return data;
    if (ReadFile("/usr/share/fonts/truetype/liberation2/" + file, data)) return data;
    const std::string found = AskFontconfig(family, bold, italic);
    if (!found.empty() && ReadFile(found, data)) return data;
    throw Exception("Font file not found: " + file);
}

}  // namespace

const std::vector<unsigned char>& FontFileData(const std::string& name, bool bold, bool italic) {
    static std::mutex lock;
    static std::map<std::string, std::vector<unsigned char>> loaded;
    const std::string family = FamilyFor(name);
    const std::string key = family + "-" + StyleFor(bold, italic);
    const std::lock_guard<std::mutex> guard(lock);
    auto it = loaded.find(key);
    if (it == loaded.end()) it = loaded.emplace(key, LoadFont(family, bold, italic)).first;
    return it->second;
}
