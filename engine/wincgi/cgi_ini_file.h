// The request file of the Windows CGI convention: an INI-format file written by the web server,
// read into sections of keys. Section names and keys are matched upper-cased and trimmed; each
// key's spelling as the file wrote it is kept too.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tallyhouse::engine {

class TCGIIniFile {
public:
    static constexpr std::size_t LineLimit = 4096;
    static constexpr std::size_t SectionLimit = 51;
    static constexpr std::size_t KeySearchLimit = 32;

    // Reads the file at Path; raises EFileError when it cannot be read or is no regular file.
    explicit TCGIIniFile(const std::string& Path);
    // Parses request-file bytes.
    static TCGIIniFile FromText(const std::string& text);

    // The value of Key in Section (both matched without regard to case), or Default.
    std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const;
    bool HasKey(const std::string& Section, const std::string& Key) const;
    // Section names in file order, each with its keys in sorted order.
    const std::vector<std::string>& Sections() const { return order_; }
    const std::map<std::string, std::string>* Section(const std::string& Name) const;
    // Key of Section as the file wrote it (trimmed, its letter case kept); Key itself when absent.
    std::string WrittenKey(const std::string& Section, const std::string& Key) const;

    // Lines dropped for being longer than LineLimit, and sections beyond SectionLimit.
    int LongLines() const { return longLines_; }
    int ExtraSections() const { return extraSections_; }

private:
    TCGIIniFile() = default;
    // Takes the next bytes of the file; Finish ends its last line.
    void Feed(const char* bytes, std::size_t size);
    void Finish();
    void EndLine();
    void TakeLine(const std::string& line);

    std::string line_;
    bool tooLong_ = false;
    bool afterCr_ = false;

    std::vector<std::string> order_;
    std::map<std::string, std::map<std::string, std::string>> sections_;
    std::map<std::string, std::map<std::string, std::string>> writtenKeys_;
    std::map<std::string, std::string>* current_ = nullptr;
    std::map<std::string, std::string>* currentWritten_ = nullptr;
    int longLines_ = 0;
    int extraSections_ = 0;
};

}  // namespace tallyhouse::engine
