// One FastCGI connection a worker holds: the request read as its bytes come, the answer written
// as the peer takes it, neither ever waited for. Each request has one deadline for the peer's
// part as a whole (sending the request, taking the answer); the time the worker spends serving
// it is not the peer's and is added on.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "engine/fastcgi/fastcgi_reader.h"
#include "platform/os/file_descriptor.h"

namespace tallyhouse::engine {

// A connection on which no byte of a request has come this long after it was accepted (or
// after its previous answer) is closed.
inline constexpr std::chrono::seconds FastCgiIdleTimeout{2};
// The peer's part of one request, sending it and taking its answer, must be done within this.
inline constexpr std::chrono::seconds FastCgiRequestTimeout{10};

class TFastCgiConnection {
public:
    using Clock = std::chrono::steady_clock;

    TFastCgiConnection(platform::TFileDescriptor fd, const TFastCgiLimits& limits, Clock::time_point now);

    int Handle() const { return fd_.Get(); }
    // The poll events the connection waits for now (none once it is done).
    short Events() const;
    Clock::time_point Deadline() const;

    // Reads what the peer has sent, a bounded amount at a time. True when a whole request is
    // here to be served.
    bool Receive();
    bool Ready() const { return !answered_ && !finished_ && reader_.State() == TFastCgiReader::TState::Ready; }
    const TFastCgiReader& Request() const { return reader_; }
    // Body bytes of the request in hand, in order; 0 at its end.
    int ReadBody(void* buffer, int count);
    // Answer bytes: collected into records of the answer stream, sent as far as the peer takes
    // them and kept for later otherwise.
    void Send(const char* data, std::size_t count);
    // False once the peer has closed its end or the answer could not be sent.
    bool PeerConnected() const;
    // Ends the answer; serving took the given time, which the deadline does not count.
    void FinishRequest(Clock::duration serving);
    // Writes what the peer takes now of what is waiting.
    void Flush();

    // Nothing more to do: closed by the peer, refused, failed, answered without being kept, or
    // past its deadline. Closing a connection that has answered (it waits for no request) once
    // the worker is asked to stop.
    bool Done(Clock::time_point now) const;
    void CloseWhenIdle() { closeWhenIdle_ = true; }
    // Why the connection was refused, for the log; empty when nothing is worth a line.
    std::string Refusal() const;

private:
    bool Idle() const { return reader_.State() == TFastCgiReader::TState::Reading && !reader_.Started(); }
    bool Writing() const { return sent_ < out_.size(); }
    void AfterAnswer();
    // Moves the collected answer bytes into records: all of them, or only whole records.
    void FrameAnswer(bool all);

    platform::TFileDescriptor fd_;
    TFastCgiReader reader_;
    std::size_t bodyRead_ = 0;
    std::string answer_;  // answer bytes not yet in records
    std::string out_;     // records waiting for the peer
    std::size_t sent_ = 0;
    Clock::time_point requestStart_;
    Clock::duration serving_{};
    bool answered_ = false;    // the request in hand has its whole answer queued
    bool answeredOnce_ = false;
    bool finished_ = false;    // answered, and not kept for another request
    bool closed_ = false;      // the peer closed, or reading or writing failed
    bool closeWhenIdle_ = false;
    bool tooMuchWaiting_ = false;
};

}  // namespace tallyhouse::engine
