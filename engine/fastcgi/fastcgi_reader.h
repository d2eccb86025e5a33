// Reads one FastCGI request at a time from the bytes of a connection, as they come: its
// parameters (the CGI variables) and its body, within limits, so a peer can neither make the
// worker hold more than that nor keep it waiting for the rest: the worker only serves a request
// once the whole of it is here. Management records are answered, a second request on the same
// connection is turned away (one request at a time), and anything that is not FastCGI refuses
// the connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "engine/fastcgi/fastcgi_records.h"

namespace tallyhouse::engine {

struct TFastCgiLimits {
    // All parameters of a request together, as encoded: a standard CGI program gets no
    // environment variable longer than 128 KiB from the kernel, and the web servers' own limits
    // on request lines and headers keep real requests far below.
    std::size_t ParamsBytes = 128 * 1024;
    // Body bytes kept for the request (its AutoReadLimit: no more is ever read); the rest is
    // taken from the connection and dropped.
    std::size_t BodyBytes = 10000;
    // Connections one worker holds at a time, as GET_VALUES reports it.
    int Connections = 1;
};

class TFastCgiReader {
public:
    enum class TState { Reading, Ready, Refused };

    explicit TFastCgiReader(const TFastCgiLimits& limits) : limits_(limits) {}

    // Takes the next bytes of the connection. Bytes after a complete request wait for
    // NextRequest.
    TState Feed(std::string_view bytes);
    TState State() const { return state_; }
    // True once any byte of the current request has come.
    bool Started() const { return started_; }
    // Records for the peer made while reading (management answers, requests turned away).
    std::string TakeReplies() { return std::exchange(replies_, {}); }
    // Why the connection was refused; empty when the peer only broke off (an aborted request).
    const std::string& Refusal() const { return refusal_; }

    // The complete request.
    std::uint16_t RequestId() const { return requestId_; }
    bool KeepConnection() const { return keepConnection_; }
    // The first parameter of that name, cut at a NUL as an environment variable would be;
    // none when absent.
    const std::string* Param(std::string_view name) const;
    const std::string& Body() const { return body_; }

    // Forgets the request served and reads the next one of a kept connection.
    TState NextRequest();

private:
    // Takes the whole records at the start of bytes while reading; the number of bytes taken.
    std::size_t TakeRecords(std::string_view bytes);
    void TakeRecord(const FastCgi::THeader& header, std::string_view content);
    void Begin(const FastCgi::THeader& header, std::string_view content);
    void TakeParams(std::string_view content);
    void TakeBody(std::string_view content);
    void AnswerManagement(const FastCgi::THeader& header, std::string_view content);
    void Refuse(std::string why);

    TFastCgiLimits limits_;
    TState state_ = TState::Reading;
    bool started_ = false;
    std::string pending_;  // bytes of records not yet taken
    std::string replies_;
    std::string refusal_;

    bool begun_ = false;
    std::uint16_t requestId_ = 0;
    bool keepConnection_ = false;
    std::string paramBytes_;
    bool paramsEnded_ = false;
    FastCgi::TPairs params_;
    std::string body_;
    bool bodyEnded_ = false;
};

}  // namespace tallyhouse::engine
