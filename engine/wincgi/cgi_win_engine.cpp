// The Windows CGI engine: the request file's sections as variables and fields, the response into
// its output file; the request served here or handed to the resident server (cgi_win_server.h).
#include "engine/wincgi/cgi_win_engine.h"

#include <fcntl.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <set>

#include "engine/wincgi/cgi_win_server.h"
#include "engine/form/form_fields.h"
#include "platform/text/ascii_text.h"
#include "engine/form/multipart.h"
#include "engine/core/request_state.h"
#include "platform/text/convert.h"
#include "platform/os/exception.h"
#include "platform/os/system_environment.h"
#include "platform/os/system_module.h"
#include "engine/core/cgi_version.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace fs = std::filesystem;

namespace {

constexpr size_t WritePiece = 1024;
constexpr size_t ExternalPiece = 2048;
const char* const VariableSections[] = {"CGI", "SYSTEM", "EXTRA HEADERS", "ACCEPT"};
const char* const FieldSections[] = {"FORM LITERAL", "FORM FILE", "FORM EXTERNAL"};

std::string FolderOf(const std::string& path) { return fs::path(path).parent_path().string(); }

using TKeySet = std::set<std::string>;

// Which keys GetField reads as further values of another field: base + "_" + n where the base
// and the keys base_1 .. base_(n-1) all exist in the form sections. The unbroken run of
// continuations after each base is counted once, so a form of many keys is sorted out in
// linear time.
class TContinuations {
public:
    explicit TContinuations(const TKeySet& formKeys) : formKeys_(formKeys) {}

    bool Contains(const std::string& key) {
        const size_t underscore = key.rfind('_');
        if (underscore == std::string::npos) return false;
        const std::string digits = key.substr(underscore + 1);
        // Up to five digits without a leading zero: the numbers GetField counts through.
        if (digits.empty() || digits.size() > 5 || digits[0] == '0') return false;
        for (char c : digits)
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        const std::string base = key.substr(0, underscore);
        return formKeys_.count(base) && std::stoi(digits) - 1 <= RunAfter(base);
    }

private:
    // How many of base_1, base_2, ... exist without a gap.
    int RunAfter(const std::string& base) {
        const auto [run, fresh] = runs_.try_emplace(base, 0);
        if (fresh)
            while (formKeys_.count(base + "_" + std::to_string(run->second + 1))) ++run->second;
        return run->second;
    }

    const TKeySet& formKeys_;
    std::map<std::string, int> runs_;
};

bool IsFormSection(const std::string& name) { return name.rfind("FORM", 0) == 0; }

}  // namespace

bool FormSectionValue(const TCGIIniFile& ini, const std::string& key, const TFormFiles& files, std::string& value) {
    for (const char* name : FieldSections) {
        const auto* section = ini.Section(name);
        if (!section) continue;
        const auto found = section->find(key);
        if (found == section->end()) continue;
        value = std::string(name) == "FORM EXTERNAL" ? ReadExternalValue(found->second, files) : found->second;
        return true;
    }
    return false;
}

TCGIWinRequestState& CgiWinRequest() {
    thread_local TCGIWinRequestState state;
    return state;
}

bool WindowsCgiEnvironment() {
    if (IsLibrary()) return false;
    std::string software = GetEnv("SERVER_SOFTWARE");
    if (software.find("ZB") != std::string::npos) software.clear();
    return software.empty() || NamesWindowsCgi(GetEnv("CGI_VERSION"));
}

std::string RequestFilePath(const std::string& path, const std::string& folder) {
    if (path.empty() || path[0] == '/') return path;
    return (fs::path(folder) / path).lexically_normal().string();
}

std::string ReadExternalValue(const std::string& entry, const TFormFiles& files) {
    const size_t blank = entry.rfind(' ');
    if (blank == std::string::npos) throw Exception("Form External entry without a length: " + entry);
    const std::string path = RequestFilePath(Trim(entry.substr(0, blank)), files.Folder);
    const long long length = StrToInt(Trim(entry.substr(blank + 1)));
    if (length < 0) throw Exception("Form External entry with a negative length: " + entry);
    // The value is held in memory, so it is bounded like a request body.
    if (length > files.Limit) throw Exception("Form External value exceeds AutoReadLimit: " + entry);
    auto file = TFileStream::OpenRegular(path, O_RDONLY);
    std::string value;
    char buffer[ExternalPiece];
    while (static_cast<long long>(value.size()) < length) {
        const auto want = static_cast<int>(std::min<long long>(ExternalPiece, length - static_cast<long long>(value.size())));
        const int got = file->Read(buffer, want);
        if (got <= 0) throw Exception("Form External file " + path + " holds fewer than " + std::to_string(length) + " bytes");
        value.append(buffer, static_cast<size_t>(got));
    }
    return value;
}

std::vector<std::string> FormSectionKeys(const TCGIIniFile& ini) {
    TKeySet fieldKeys;
    for (const char* name : FieldSections)
        if (const auto* section = ini.Section(name))
            for (const auto& entry : *section) fieldKeys.insert(entry.first);
    TContinuations continuations(fieldKeys);
    std::vector<std::string> names;
    for (const std::string& name : ini.Sections()) {
        if (!IsFormSection(name)) continue;
        for (const auto& entry : *ini.Section(name))
            if (!continuations.Contains(entry.first)) names.push_back(ini.WrittenKey(name, entry.first));
    }
    return names;
}

std::string RequestFileArgument() {
    const std::vector<std::string> parameters = ProgramParameters();
    if (parameters.empty() || parameters[0].empty()) return "";
    return fs::absolute(parameters[0]).lexically_normal().string();
}

std::unique_ptr<TCGIWinEngine> TCGIWinEngine::Create(const THttpEngineProperties& properties, bool autoTerminate) {
    auto engine = std::make_unique<TCGIWinEngine>(properties, autoTerminate);
    if (!engine->IsActive()) return engine;
    engine->MakeCurrent();
    if (ProgramParameters().empty()) {
        engine->residentServer_ = true;
        CgiWinServer::RunResidentServer(*engine);
    }
    engine->ServeRequestFile(RequestFileArgument());
    return engine;
}

TCGIWinEngine::TCGIWinEngine(const THttpEngineProperties& properties, bool autoTerminate)
    : THttpEngine(properties), AutoTerminate(autoTerminate) {}

TCGIWinEngine::~TCGIWinEngine() = default;

void TCGIWinEngine::ServeRequestFile(const std::string& path) {
    if (CGIMode == NormalMode)
        ProcessRequestFile(path);
    else
        CgiWinServer::StartServerAndQueue(*this, path);
    if (AutoTerminate) TerminateProgram();
}

void TCGIWinEngine::ProcessRequestFile(const std::string& path) {
    TCGIWinRequestState& request = CgiWinRequest();
    request.RequestFile = path;
    request.MultipartFields = TFormFields();
    request.HasMultipart = false;
    ProcessRequest();
}

void TCGIWinEngine::UseRequestFile(std::unique_ptr<TCGIIniFile> ini) {
    CgiWinRequest().Ini = std::move(ini);
    CgiWinRequest().QueryFields = TFormFields(GetQueryString());
}

void TCGIWinEngine::ExecRequest() {
    TCGIWinRequestState& request = CgiWinRequest();
    UseRequestFile(std::make_unique<TCGIIniFile>(request.RequestFile));
    if (request.Ini->LongLines() > 0) LogError("Request file lines longer than 4096 bytes ignored: " + request.RequestFile);
    if (request.Ini->ExtraSections() > 0) LogError("Request file sections beyond 51 ignored: " + request.RequestFile);
    const std::string output = request.Ini->ReadString("System", "Output File", "");
    if (output.empty()) return;
    try {
        request.OutputFile = TFileStream::OpenRegular(RequestFilePath(output, FolderOf(request.RequestFile)),
                                                      O_WRONLY | O_CREAT | O_TRUNC);
        OpenRequestStreams();
        // The resident server runs requests on threads of its own in ServerThreadMode and has no
        // last request.
        requestEvents_.Fire(*this, {.TakeTurns = CGIMode == ServerThreadMode, .LastRequest = !residentServer_});
    } catch (...) {
        request.ContentFile.reset();
        if (AutoTerminate && request.OutputFile) request.OutputFile->Flush();
        throw;
    }
}

void TCGIWinEngine::OpenRequestStreams() {
    TCGIWinRequestState& request = CgiWinRequest();
    const std::string content = request.Ini->ReadString("System", "Content File", "");
    if (content.empty() || !IsMultipartForm(GetContentType())) return;
    request.ContentFile = TFileStream::OpenRegular(RequestFilePath(content, FolderOf(request.RequestFile)), O_RDONLY);
    if (GetContentLength() > AutoReadLimit) {
        LogError("Content length exceeds AutoReadLimit");
        return;
    }
    if (!AutoReadInput) return;
    std::string data;
    ReadMultipartInput(data);
    request.MultipartFields = TFormFields(data);
    request.HasMultipart = true;
}

void TCGIWinEngine::EndRequest() {
    THttpEngine::EndRequest();
    TCGIWinRequestState& request = CgiWinRequest();
    request.OutputFile.reset();
    request.ContentFile.reset();
    request.Ini.reset();
}

void TCGIWinEngine::SendToClient(const char* Data, size_t Count) {
    TFileStream* output = CgiWinRequest().OutputFile.get();
    if (!output) return;
    for (size_t at = 0; at < Count; at += WritePiece) output->Write(Data + at, std::min(WritePiece, Count - at));
}

// The server writes the status line; another status than 200 goes to it as "Status:".
void TCGIWinEngine::WriteHeader(const std::string& Name, const std::string& Value) {
    THttpRequestState& state = RequestState();
    if (AutoHttpHeader && !state.FirstHeaderDone) {
        state.FirstHeaderDone = true;
        WriteStatusHeader();
    }
    Write(Name + ":" + Value + "\r\n");
}

int TCGIWinEngine::ReadClient(void* Buffer, int Count) {
    TFileStream* content = CgiWinRequest().ContentFile.get();
    return content ? content->Read(Buffer, Count) : 0;
}

std::string TCGIWinEngine::GetVariable(const std::string& Name) {
    const TCGIIniFile* ini = CgiWinRequest().Ini.get();
    if (!ini) return "";
    std::string key = UpperCase(Name);
    for (char& c : key)
        if (c == '_') c = ' ';
    if (key == "SCRIPT NAME") key = "EXECUTABLE PATH";
    for (const char* section : VariableSections)
        if (ini->HasKey(section, key)) return ini->ReadString(section, key, "");
    // A request header named as a CGI variable ("HTTP IF NONE MATCH") stands in Extra Headers
    // under its own name ("If-None-Match").
    if (key.rfind("HTTP ", 0) == 0) {
        std::string header = key.substr(5);
        for (char& c : header)
            if (c == ' ') c = '-';
        return ini->ReadString("EXTRA HEADERS", header, "");
    }
    return "";
}

int TCGIWinEngine::GetContentLength() { return StrToIntOr(GetVariable("Content Length"), 0); }

std::string TCGIWinEngine::GetHttpCookie() {
    const TCGIIniFile* ini = CgiWinRequest().Ini.get();
    return ini ? ini->ReadString("EXTRA HEADERS", "COOKIE", NotAvailable) : NotAvailable;
}

std::string TCGIWinEngine::GetField(const std::string& Name, const std::string& Default) {
    const TCGIWinRequestState& request = CgiWinRequest();
    if (request.HasMultipart) return request.MultipartFields.Find(Name, Default);
    if (UpperCase(GetRequestMethod()) != "GET") return SectionField(Name, Default);
    return request.QueryFields.Find(Name, Default);
}

// Each value of a field may sit in whichever form section suits it: a short one in "Form
// Literal", a long one in "Form External", so every key is looked up in all three in turn.
std::string TCGIWinEngine::SectionField(const std::string& Name, const std::string& Default) {
    const std::vector<std::string> values = SectionFieldValues(Name);
    return values.empty() ? Default : JoinFieldValues(values);
}

std::vector<std::string> TCGIWinEngine::SectionFieldValues(const std::string& Name) {
    const TCGIWinRequestState& request = CgiWinRequest();
    if (!request.Ini) return {};
    const std::string key = UpperCase(Trim(Name));
    const TFormFiles files{FolderOf(request.RequestFile), AutoReadLimit};
    std::vector<std::string> values;
    std::string value;
    if (!FormSectionValue(*request.Ini, key, files, value)) return values;
    values.push_back(value);
    for (int n = 1; FormSectionValue(*request.Ini, key + "_" + std::to_string(n), files, value); ++n)
        values.push_back(value);
    return values;
}

std::vector<std::string> TCGIWinEngine::GetFieldValues(const std::string& Name) {
    const TCGIWinRequestState& request = CgiWinRequest();
    if (request.HasMultipart) return request.MultipartFields.Values(Name);
    if (UpperCase(GetRequestMethod()) != "GET") return SectionFieldValues(Name);
    return request.QueryFields.Values(Name);
}

std::vector<std::string> TCGIWinEngine::GetFieldNames() {
    const TCGIWinRequestState& request = CgiWinRequest();
    if (request.HasMultipart) return request.MultipartFields.Names();
    // The names of the fields GetField reads: a method other than GET takes them from the form
    // sections, so every name listed has its value there and every field there is listed.
    if (UpperCase(GetRequestMethod()) == "GET") return request.QueryFields.Names();
    return request.Ini ? FormSectionKeys(*request.Ini) : std::vector<std::string>();
}

bool TCGIWinEngine::IsActive() { return WindowsCgiEnvironment(); }

}  // namespace tallyhouse::engine
