// Names of the files through which request processes hand requests to the resident CGI
// server: all live in the program's Temp/ folder and start with the program's file name.
#pragma once

#include <string>

namespace tallyhouse::engine {

class TServerFiles {
public:
    // ProgramPath is the full path of the running program.
    explicit TServerFiles(const std::string& programPath);

    const std::string& ProgramFolder() const { return programFolder_; }
    const std::string& ProgramFileName() const { return programFileName_; }
    // Temp/ beside the program, created when missing; the program's folder if that fails.
    const std::string& TempFolder() const { return tempFolder_; }
    // The temp folder, "/" and the program's file name.
    const std::string& TempPrefix() const { return tempPrefix_; }

    std::string ServerListPath() const { return tempPrefix_ + "_S"; }
    // Held locked by the live server: the mark that request processes look for.
    std::string ServerMarkPath() const { return tempPrefix_ + "_S.pid"; }
    std::string RequestFilePath(const std::string& requestId) const;
    // Request file names fit the 255 characters a server record holds.
    bool NamesFitRecords() const;
    // The request file's name with its last three characters replaced by "OUT".
    static std::string OutputFilePath(const std::string& requestFile);
    // A record holds the upper-cased name; this gives back the name of the file on disk.
    std::string ResolveRequestName(const std::string& recordName) const;

    // Deletes the files of the temp folder whose names begin with the program's file name
    // followed by Infix ("_C_" for request and output files); stops at the first that cannot
    // be deleted when StopAtFailure.
    void DeleteFilesStartingWith(const std::string& infix, bool stopAtFailure) const;

private:
    std::string programFolder_;
    std::string programFileName_;
    std::string tempFolder_;
    std::string tempPrefix_;
};

bool IsRequestName(const std::string& name);

}  // namespace tallyhouse::engine
