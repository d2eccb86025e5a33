// Line splitting and section/key rules of the request-file reader.
#include "engine/wincgi/cgi_ini_file.h"

#include <fcntl.h>

#include <vector>

#include "platform/text/ascii_text.h"
#include "platform/os/exception.h"
#include "platform/os/system_file.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr int ReadPiece = 65536;

}  // namespace

// The file is read piece by piece and only the line in hand is kept, so a huge file (or an
// endless line) costs no more memory than a line; a FIFO or device is refused, not waited on.
TCGIIniFile::TCGIIniFile(const std::string& Path) {
    std::unique_ptr<TFileStream> file;
    try {
        file = TFileStream::OpenRegular(Path, O_RDONLY);
    } catch (const EFileError& error) {
        throw EFileError("Can not read request file " + Path + " (" + error.what() + ")");
    }
    std::vector<char> piece(ReadPiece);
    for (int got; (got = file->Read(piece.data(), ReadPiece)) != 0;) {
        if (got < 0) throw EFileError("Can not read request file " + Path);
        Feed(piece.data(), static_cast<std::size_t>(got));
    }
    Finish();
}

TCGIIniFile TCGIIniFile::FromText(const std::string& text) {
    TCGIIniFile ini;
    ini.Feed(text.data(), text.size());
    ini.Finish();
    return ini;
}

// CR, LF and CR LF each end a line; leading blanks and control bytes are skipped. A line over
// the limit is dropped whole rather than cut, so no value is read truncated.
void TCGIIniFile::Feed(const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (afterCr_) {
            afterCr_ = false;
            if (c == '\n') continue;
        }
        if (c == '\r' || c == '\n') {
            EndLine();
            afterCr_ = c == '\r';
            continue;
        }
        if (tooLong_ || (line_.empty() && static_cast<unsigned char>(c) <= 32)) continue;
        if (line_.size() >= LineLimit) {
            tooLong_ = true;
            line_.clear();
        } else {
            line_ += c;
        }
    }
}

void TCGIIniFile::EndLine() {
    if (tooLong_)
        ++longLines_;
    else if (!line_.empty())
        TakeLine(line_);
    line_.clear();
    tooLong_ = false;
}

void TCGIIniFile::Finish() { EndLine(); }

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

}  // namespace tallyhouse::engine
