// Line splitting and section/key rules of the request-file reader.
#include "engine/wincgi/cgi_ini_file.h"

#include <fstream>
#include <sstream>

#include "platform/ascii_text.h"
#include "platform/exception.h"

TCGIIniFile::TCGIIniFile(const std::string& Path) {
    std::ifstream file(Path, std::ios::binary);
    if (!file) throw EFileError("Can not read request file " + Path);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    Parse(bytes.str());
}

TCGIIniFile TCGIIniFile::FromText(const std::string& text) {
    TCGIIniFile ini;
    ini.Parse(text);
    return ini;
}

// CR, LF and CR LF each end a line; leading blanks and control bytes are skipped. A line over
// the limit is dropped whole rather than cut, so no value is read truncated.
void TCGIIniFile::Parse(const std::string& text) {
    std::string line;
    bool tooLong = false;
    auto endLine = [&] {
        if (tooLong)
            ++longLines_;
        else if (!line.empty())
            TakeLine(line);
        line.clear();
        tooLong = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            endLine();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            continue;
        }
        if (line.empty() && static_cast<unsigned char>(c) <= 32) continue;
        if (line.size() >= LineLimit)
            tooLong = true;
        else
            line += c;
    }
    endLine();
}

void TCGIIniFile::TakeLine(const std::string& line) {
    if (line[0] == '[') {
        std::string name = line.substr(1);
        while (!name.empty() && (name.back() == ']' || static_cast<unsigned char>(name.back()) <= 32)) name.pop_back();
        name = UpperCase(Trim(name));
        auto found = sections_.find(name);
        if (found != sections_.end()) {
            current_ = &found->second;
            currentWritten_ = &writtenKeys_[name];
        } else if (order_.size() >= SectionLimit) {
            ++extraSections_;
            current_ = nullptr;
            currentWritten_ = nullptr;
        } else {
            order_.push_back(name);
            current_ = &sections_[name];
            currentWritten_ = &writtenKeys_[name];
        }
        return;
    }
    const std::size_t equals = line.find('=');
    if (!current_ || equals == std::string::npos || equals >= KeySearchLimit) return;
    const std::string written = Trim(line.substr(0, equals));
    const std::string key = UpperCase(written);
    if (key.empty()) return;
    (*current_)[key] = Trim(line.substr(equals + 1));
    (*currentWritten_)[key] = written;
}

const std::map<std::string, std::string>* TCGIIniFile::Section(const std::string& Name) const {
    auto found = sections_.find(UpperCase(Trim(Name)));
    return found == sections_.end() ? nullptr : &found->second;
}

std::string TCGIIniFile::WrittenKey(const std::string& SectionName, const std::string& Key) const {
    const auto section = writtenKeys_.find(UpperCase(Trim(SectionName)));
    if (section == writtenKeys_.end()) return Key;
    const auto found = section->second.find(UpperCase(Trim(Key)));
    return found == section->second.end() ? Key : found->second;
}

bool TCGIIniFile::HasKey(const std::string& SectionName, const std::string& Key) const {
    const auto* section = Section(SectionName);
    return section && section->count(UpperCase(Trim(Key))) != 0;
}

std::string TCGIIniFile::ReadString(const std::string& SectionName, const std::string& Key,
                                    const std::string& Default) const {
    const auto* section = Section(SectionName);
    if (!section) return Default;
    auto found = section->find(UpperCase(Trim(Key)));
    return found == section->end() ? Default : found->second;
}
