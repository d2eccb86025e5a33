// The request engine base: one programming model for a request (variables, form fields,
// response text and binary data with automatic headers) over every server interface, and the
// free-standing routines that act on the engine serving the calling thread.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tallyhouse::engine {

class THttpEngine;
class TCGIRequestThread;

inline constexpr char DefaultStatus[] = "200 OK";

// The system-wide marker for a missing value (a request variable or form field that is absent).
inline constexpr char NotAvailable[] = "#1NOT_AVAILABLE#1";

enum TCGIMode { NormalMode, ServerMode, ServerThreadMode };

// Content type chosen for binary output that starts a response (HttpSetImageKind).
enum : std::uint8_t { ImageKindNone = 0, ImageKindJpeg = 1, ImageKindGif = 2 };

using TRequestErrorEvent = std::function<void(THttpEngine& Sender, const std::exception& ErrorReason)>;
using TExecRequestEvent = std::function<void(THttpEngine& Sender)>;
using TFirstExecRequestEvent = std::function<void(THttpEngine& Sender)>;
using TLastExecRequestEvent = std::function<void(THttpEngine& Sender)>;

using TLock = std::mutex;

// The published settings of an engine, with their defaults. The facade keeps one set and hands
// a copy to every engine it creates.
struct THttpEngineProperties {
    bool AutoReadInput = true;
    int AutoReadLimit = 10000;
    bool AutoHttpHeader = true;
    std::string AutoContentType = "text/html";
    std::string TempDir;
    std::string SessionName;
    TRequestErrorEvent OnRequestError;
    TExecRequestEvent OnExecRequest;
    TFirstExecRequestEvent OnFirstExecRequest;
    TLastExecRequestEvent OnLastExecRequest;
    bool BufferedOutput = false;
    TCGIMode CGIMode = NormalMode;
    bool NoCache = false;
};

// The abstract engine. Per-request state lives in thread-local variables (RequestState()), so
// one engine object may serve requests on several threads at once; its properties are shared
// and read-only while requests run.
class THttpEngine : public THttpEngineProperties {
public:
    THttpEngine() = default;
    explicit THttpEngine(const THttpEngineProperties& properties) : THttpEngineProperties(properties) {}
    virtual ~THttpEngine() = default;
    THttpEngine(const THttpEngine&) = delete;
    THttpEngine& operator=(const THttpEngine&) = delete;

    // The engine's step of one request: obtain the raw form data, then fire the request events.
    virtual void ExecRequest() = 0;
    // Deletes the request's temporary files; overrides call this first.
    virtual void EndRequest();
    // Converts a multipart body read through ReadClient into form data; uploads go to TempDir.
    virtual void ReadMultipartInput(std::string& Data);

    virtual std::string GetServerName();
    virtual std::string GetServerSoftware();
    virtual std::string GetGatewayInterface();
    virtual std::string GetServerProtocol();
    virtual std::string GetServerPort();
    virtual bool IsSecurePort();
    virtual std::string GetRequestMethod();
    virtual std::string GetPathInfo();
    virtual std::string GetPathTranslated();
    virtual std::string GetScriptName();
    virtual std::string GetQueryString();
    virtual std::string GetRemoteHost();
    virtual std::string GetRemoteAddr();
    virtual std::string GetAuthType();
    virtual std::string GetRemoteUser();
    virtual std::string GetRemoteIdent();
    virtual std::string GetContentType();
    virtual int GetContentLength();
    virtual std::string GetURL();
    virtual std::string GetUserAgent();
    virtual std::string GetHttpCookie();
    virtual std::string GetReferer();
    virtual std::string GetExecutablePath();
    virtual TCGIRequestThread* GetRequestThread();

    virtual void WriteStatusLine();
    // Text output: the automatic header check, then buffering or sending.
    virtual void Write(const std::string& S);
    // Binary output: the binary header check, then buffering or sending.
    virtual void WriteBuffer(const void* Buffer, int Count);
    // Reads request-body bytes; the number read, fewer at the end of the body, -1 on an error.
    virtual int ReadClient(void* Buffer, int Count);
    // One header line "Name:Value" CR LF; the first one may be preceded by the status line.
    virtual void WriteHeader(const std::string& Name, const std::string& Value);
    // The blank line that ends the header.
    virtual void EndHeader();

    // The request variable of that engine-neutral name ("SERVER NAME"), empty when absent.
    virtual std::string GetVariable(const std::string& Name) = 0;
    // The form field's value (repeats joined by CR LF), Default when absent.
    virtual std::string GetField(const std::string& Name, const std::string& Default) = 0;
    virtual std::vector<std::string> GetFieldNames() = 0;
    // Each value of the form field by itself, in order (none when absent): a value's own CR LF
    // cannot be told from the joins of GetField. This base answers GetField's whole value as one.
    virtual std::vector<std::string> GetFieldValues(const std::string& Name);
    // False once the client can no longer receive the response (it went away); this base
    // cannot tell and answers true.
    virtual bool ClientConnected() { return true; }

    virtual TLock* CreateLock();
    virtual void Lock(TLock* P);
    virtual void Unlock(TLock* P);
    virtual void FreeLock(TLock* P);

    // True when this engine serves the environment the program runs in.
    virtual bool IsActive() = 0;

    // One request, from setting up its state to ending it (the engine calls it per request).
    void ProcessRequest();
    void WriteLn(const std::string& S);
    void MakeCurrent();
    // Appends one line to the error log; every failure inside is swallowed.
    void LogError(const std::string& Message);
    // Ends the process after a CGI request (nothing when running as a library).
    void TerminateProgram();
    // Unwinds to main, which ends the process: the application's forms are destroyed on the way.
    [[noreturn]] void EndProcess();

protected:
    // The request's status, "200 OK" unless the application set another (HttpSetStatus).
    std::string ResponseStatus() const;
    // A "Status:" header line when the status is not 200, for answers without a status line.
    void WriteStatusHeader();
    // Passes response bytes to the client as they are (no header checks, no buffering).
    virtual void SendToClient(const char* Data, size_t Count) = 0;
    // Output goes straight to the client: not buffering, or the buffer is being flushed.
    bool SendsDirectly() const;
    // "Name" read through GetVariable, or "Fallback" when that is empty.
    std::string VariableOr(const std::string& Name, const std::string& Fallback);

private:
    void RunGuarded();
    void HandleRequestError(const std::exception& error);
    void StartTextHeader();
    void StartBinaryHeader();
    void FlushBuffer();
};

// Free-standing routines: each acts on the engine serving the calling thread (none: no effect,
// empty results).
void HttpWrite(const std::string& S);
void HttpWriteLn(const std::string& S);
void HttpWriteBuffer(const void* Buffer, int Count);
void HttpWriteHeader(const std::string& Name, const std::string& Value);
int HttpReadClient(void* Buffer, int Count);
std::string HttpGetVariable(const std::string& Name);
std::string HttpGetField(const std::string& Name, const std::string& Default);
std::vector<std::string> HttpGetFieldNames();
std::vector<std::string> HttpGetFieldValues(const std::string& Name);
bool HttpClientConnected();
std::string HttpGetQueryString();
std::string HttpGetRemoteAddr();
std::string HttpGetUserAgent();
std::string HttpGetHttpCookie();
std::string HttpGetExecutablePath();
void HttpSetImageKind(std::uint8_t Kind);
// The status of this request's answer, as code and reason ("304 Not Modified"); the status
// line (or a "Status:" header where the server writes the status line) carries it. Set it
// before the first header line.
void HttpSetStatus(const std::string& Status);
// Ends a header the application wrote itself with HttpWriteHeader: the blank line follows and
// no automatic content type is added (an answer without a body, such as 304, has none).
void HttpEndHeader();
// Some of this request's answer has gone out (a header line at least): its status is settled.
bool HttpResponseStarted();
THttpEngine* CurrentHttpEngine();

}  // namespace tallyhouse::engine
