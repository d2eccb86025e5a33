// Runs the built program as a CGI child process in a scratch folder of its own.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the build tree holding a linked copy of tallyhouse.cgi;
// the program keeps its poll files and Log/ beside itself, so each test gets its own.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Program() const { return (path_ / "tallyhouse.cgi").string(); }
    void Write(const std::string& name, const std::string& content) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

private:
    std::filesystem::path path_;
};

struct CgiResult {
    int exitCode = -1;      // exit status, or 128 + signal
    std::string output;     // all of standard output
    std::string header;     // output up to the blank line (without it)
    std::string body;       // output after the blank line
    std::string errors;     // standard error
    long maxResidentKb = 0; // the most memory the child held at once
};

struct CgiRequest {
    std::map<std::string, std::string> env;  // the whole environment of the child
    std::string input;                       // standard input
    std::vector<std::string> args;           // command-line arguments after the program
    std::function<void()> inChild;           // runs in the child before exec (setrlimit, ...)
    int timeoutSeconds = 30;
};

CgiResult RunProgram(const std::string& program, const CgiRequest& request);

// A GET request: SERVER_SOFTWARE, GATEWAY_INTERFACE, REQUEST_METHOD, QUERY_STRING, REMOTE_ADDR.
CgiRequest GetRequest(const std::string& query);
// A POST request of an url-encoded form.
CgiRequest PostRequest(const std::string& body,
                       const std::string& contentType = "application/x-www-form-urlencoded");

// Splits output at the first blank line (CR LF CR LF or LF LF).
void SplitResponse(CgiResult& result);
// What follows "ETag:" on the first line that has it, up to its CR LF; empty without one.
std::string ETagOf(const std::string& header);

std::string ReadFile(const std::filesystem::path& path);

}  // namespace testsupport
