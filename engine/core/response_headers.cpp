// Response output of the engine base: the automatic header on text and binary output, the
// status-line rule, header lines, and the flush of a buffered response with its content length.
#include <ctime>

#include "platform/text/ascii_text.h"
#include "engine/core/http_engine.h"
#include "engine/core/request_state.h"
#include "platform/os/system_module.h"
#include "platform/os/system_time.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr std::time_t ExpiredAge = 1000LL * 24 * 60 * 60;

// Text starts the header when it opens with CR LF, or with "<" once blanks and control
// characters are stripped from its front.
bool StartsHeader(const std::string& text) {
    if (text.compare(0, 2, "\r\n") == 0) return true;
    for (const char c : text)
        if (static_cast<unsigned char>(c) > ' ') return c == '<';
    return false;
}

std::string ExpiredDate() { return HttpDate(std::time(nullptr) - ExpiredAge); }

}  // namespace

bool THttpEngine::SendsDirectly() const { return !BufferedOutput || RequestState().BufferClosed; }

void THttpEngine::Write(const std::string& S) {
    if (AutoHttpHeader && !RequestState().HeaderSent && StartsHeader(S)) StartTextHeader();
    if (S.empty()) return;
    if (SendsDirectly())
        SendToClient(S.data(), S.size());
    else
        RequestState().OutputBuffer += S;
}

void THttpEngine::WriteBuffer(const void* Buffer, int Count) {
    if (AutoHttpHeader && !RequestState().HeaderSent) StartBinaryHeader();
    if (Count <= 0) return;
    const char* bytes = static_cast<const char*>(Buffer);
    if (SendsDirectly())
        SendToClient(bytes, static_cast<size_t>(Count));
    else
        RequestState().OutputBuffer.append(bytes, static_cast<size_t>(Count));
}

void THttpEngine::StartTextHeader() {
    RequestState().HeaderSent = true;
    WriteHeader("content-type", AutoContentType);
    if (NoCache) {
        WriteHeader("Pragma", "no-cache");
        WriteHeader("Cache-Control", "no-cache");
        WriteHeader("Expires", ExpiredDate());
        WriteHeader("Document Expires", ExpiredDate());
    }
    EndHeader();
}

void THttpEngine::StartBinaryHeader() {
    THttpRequestState& state = RequestState();
    std::string type = AutoContentType;
    if (state.ImageKind == ImageKindGif) type = "image/gif";
    if (state.ImageKind == ImageKindJpeg) type = "image/jpeg";
    WriteHeader("content-type", type);
    state.HeaderSent = true;
    EndHeader();
}

void THttpEngine::WriteHeader(const std::string& Name, const std::string& Value) {
    THttpRequestState& state = RequestState();
    if (AutoHttpHeader && !state.FirstHeaderDone) {
        state.FirstHeaderDone = true;
        if (std::string("LOCATION").find(UpperCase(Name)) == std::string::npos) WriteStatusLine();
    }
    Write(Name + ":" + Value + "\r\n");
}

// A status other than 200 also goes into a "Status:" header: servers that write the status line
// themselves learn it from there, and so do those that pass CGI output through a gateway which
// drops a raw status line (nginx behind fcgiwrap).
void THttpEngine::WriteStatusLine() {
    const std::string software = UpperCase(GetServerSoftware());
    if (software.find("NETSCAPE") == std::string::npos && software.find("APACHE") == std::string::npos)
        WriteLn("HTTP/1.1 " + ResponseStatus());
    WriteStatusHeader();
}

void THttpEngine::WriteStatusHeader() {
    if (ResponseStatus() != DefaultStatus) WriteLn("Status:" + ResponseStatus());
}

std::string THttpEngine::ResponseStatus() const {
    const std::string& status = RequestState().Status;
    return status.empty() ? DefaultStatus : status;
}

void THttpEngine::EndHeader() { WriteLn(""); }

// Sends the buffered response; BufferClosed is already set, so the header lines written here go
// straight to the client between the buffered header and body.
void THttpEngine::FlushBuffer() {
    THttpRequestState& state = RequestState();
    const std::string buffer = std::move(state.OutputBuffer);
    state.OutputBuffer.clear();
    if (!AutoHttpHeader) {
        SendToClient(buffer.data(), buffer.size());
        return;
    }
    if (IsLibrary() && UpperCase(GetServerSoftware()).find("NETSCAPE") != std::string::npos) {
        WriteHeader("content-length", std::to_string(buffer.size()));
        state.HeaderSent = true;
        EndHeader();
        SendToClient(buffer.data(), buffer.size());
        return;
    }
    const size_t textEnd = buffer.find('\0');
    const size_t end = buffer.find("\r\n\r\n");
    if (end == std::string::npos || (textEnd != std::string::npos && end + 4 > textEnd)) {
        SendToClient(buffer.data(), buffer.size());
        return;
    }
    SendToClient(buffer.data(), end + 2);
    WriteHeader("content-length", std::to_string(buffer.size() - end - 4));
    state.HeaderSent = true;
    EndHeader();
    SendToClient(buffer.data() + end + 4, buffer.size() - end - 4);
}

}  // namespace tallyhouse::engine
