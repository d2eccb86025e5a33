// Paths and clean-up of the CGI server's files.
#include "engine/resident/cgi_server_files.h"

#include "platform/text/ascii_text.h"
#include "engine/resident/server_record.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace fs = std::filesystem;

namespace {

std::string ChooseTempFolder(const std::string& programFolder) {
    const fs::path temp = fs::path(programFolder) / "Temp";
    std::error_code error;
    if (fs::is_directory(temp, error)) return temp.string();
    fs::create_directory(temp, error);
    return fs::is_directory(temp, error) ? temp.string() : programFolder;
}

}  // namespace

TServerFiles::TServerFiles(const std::string& programPath) {
    const fs::path program(programPath);
    programFolder_ = program.parent_path().string();
    programFileName_ = program.filename().string();
    tempFolder_ = ChooseTempFolder(programFolder_);
    tempPrefix_ = tempFolder_ + "/" + programFileName_;
}

std::string TServerFiles::RequestFilePath(const std::string& requestId) const {
    return tempPrefix_ + "_C_" + requestId + "_REQ";
}

bool TServerFiles::NamesFitRecords() const {
    return RequestFilePath("0000").size() <= TServerRecord::NameSize - 1;
}

std::string TServerFiles::OutputFilePath(const std::string& requestFile) {
    return requestFile.substr(0, requestFile.size() < 3 ? 0 : requestFile.size() - 3) + "OUT";
}

std::string TServerFiles::ResolveRequestName(const std::string& recordName) const {
    const std::string ours = tempPrefix_ + "_C_";
    if (!StartsWithIgnoringCase(recordName, ours)) return recordName;
    return ours + recordName.substr(ours.size());
}

void TServerFiles::DeleteFilesStartingWith(const std::string& infix, bool stopAtFailure) const {
    const std::string start = programFileName_ + infix;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(tempFolder_, error)) {
        if (!StartsWithIgnoringCase(entry.path().filename().string(), start)) continue;
        std::error_code removeError;
        fs::remove(entry.path(), removeError);
        if (removeError && stopAtFailure) return;
    }
}

bool IsRequestName(const std::string& name) {
    return name.size() >= 4 && UpperCase(name.substr(name.size() - 4)) == "_REQ";
}

}  // namespace tallyhouse::engine
