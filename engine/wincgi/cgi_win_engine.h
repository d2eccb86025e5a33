// The Windows CGI engine: the web server starts the program with the path of an INI-format
// request file and reads the response from the output file that the request file names.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/wincgi/cgi_ini_file.h"
#include "engine/core/http_engine.h"
#include "engine/core/request_events.h"
#include "engine/form/form_fields.h"
#include "platform/os/system_file.h"

namespace tallyhouse::engine {

class TCGIWinEngine : public THttpEngine {
public:
    // Creates the engine; when it serves the environment it becomes current and either serves
    // the request file it was started with or, started without one, becomes the resident server.
    static std::unique_ptr<TCGIWinEngine> Create(const THttpEngineProperties& properties, bool autoTerminate);
    TCGIWinEngine(const THttpEngineProperties& properties, bool autoTerminate);
    ~TCGIWinEngine() override;

    bool AutoTerminate;

    void ExecRequest() override;
    void EndRequest() override;
    void WriteHeader(const std::string& Name, const std::string& Value) override;
    int ReadClient(void* Buffer, int Count) override;
    std::string GetVariable(const std::string& Name) override;
    int GetContentLength() override;
    std::string GetHttpCookie() override;
    std::string GetField(const std::string& Name, const std::string& Default) override;
    std::vector<std::string> GetFieldNames() override;
    std::vector<std::string> GetFieldValues(const std::string& Name) override;
    bool IsActive() override;

    // Serves the request file the process was started with, as the mode asks.
    void ServeRequestFile(const std::string& path);
    // Runs one request from its request file on the calling thread.
    void ProcessRequestFile(const std::string& path);
    // Makes Ini this thread's request file and decodes its query string's fields.
    void UseRequestFile(std::unique_ptr<TCGIIniFile> ini);
    // This process is the resident server (started without a request file).
    bool IsResidentServer() const { return residentServer_; }

protected:
    void SendToClient(const char* Data, size_t Count) override;

private:
    void OpenRequestStreams();
    std::string SectionField(const std::string& Name, const std::string& Default);
    std::vector<std::string> SectionFieldValues(const std::string& Name);

    TRequestEvents requestEvents_;
    bool residentServer_ = false;
};

// The per-thread state of a Windows CGI request.
struct TCGIWinRequestState {
    std::string RequestFile;
    std::unique_ptr<TCGIIniFile> Ini;
    std::unique_ptr<platform::TFileStream> OutputFile;
    std::unique_ptr<platform::TFileStream> ContentFile;
    // The fields of a multipart body, and of the query string, decoded once per request.
    TFormFields MultipartFields;
    bool HasMultipart = false;
    TFormFields QueryFields;
};

TCGIWinRequestState& CgiWinRequest();

// Not a library, and no "SERVER_SOFTWARE" or a "CGI_VERSION" naming Windows CGI.
bool WindowsCgiEnvironment();
// The request file named by the first command-line argument, as an absolute path; empty when
// there is no argument or an empty one.
std::string RequestFileArgument();
// A path named in a request file: relative paths count from Folder.
std::string RequestFilePath(const std::string& path, const std::string& folder);
// Where the files that "Form External" entries name are found, and the most bytes one may hold.
struct TFormFiles {
    std::string Folder;  // relative paths count from the request file's folder
    long long Limit;
};
// The value of a "Form External" entry: "path length"; raises when the file holds fewer bytes
// or the length is over the limit.
std::string ReadExternalValue(const std::string& entry, const TFormFiles& files);
// The value of Key from "Form Literal", else "Form File", else "Form External"; false when none has it.
bool FormSectionValue(const TCGIIniFile& ini, const std::string& key, const TFormFiles& files, std::string& value);
// The form field names of a POST: the keys of every FORM section as the request file wrote
// them, continuation keys left out.
std::vector<std::string> FormSectionKeys(const TCGIIniFile& ini);

}  // namespace tallyhouse::engine
