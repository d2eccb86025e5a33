#include "engine/fastcgi/fastcgi_connection.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr std::size_t kReadPiece = 64 * 1024;
// What one connection may read in one turn of the worker's loop, so a peer that floods its
// connection does not keep the others waiting.
constexpr std::size_t kReadPerTurn = 4 * kReadPiece;
// Answer bytes collected beyond this are offered to the peer at once.
constexpr std::size_t kSendEarly = 256 * 1024;
constexpr std::size_t kAnswerRoom = 16 * 1024;
// Replies to management records that the peer leaves untaken; beyond this it is dropped.
constexpr std::size_t kMaxUntakenReplies = 64 * 1024;

bool WouldWait(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

}  // namespace

TFastCgiConnection::TFastCgiConnection(TFileDescriptor fd, const TFastCgiLimits& limits, Clock::time_point now)
    : fd_(std::move(fd)), reader_(limits), requestStart_(now) {}

short TFastCgiConnection::Events() const {
    if (closed_ || finished_) return 0;
    short events = 0;
    if (reader_.State() == TFastCgiReader::TState::Reading) events |= POLLIN;
    if (Writing()) events |= POLLOUT;
    return events;
}

TFastCgiConnection::Clock::time_point TFastCgiConnection::Deadline() const {
    if (Idle() && !Writing()) return requestStart_ + FastCgiIdleTimeout;
    return requestStart_ + FastCgiRequestTimeout + serving_;
}

bool TFastCgiConnection::Receive() {
    char buffer[kReadPiece];
    for (std::size_t taken = 0; taken < kReadPerTurn && reader_.State() == TFastCgiReader::TState::Reading;) {
        const ssize_t got = recv(fd_.Get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            reader_.Feed(std::string_view(buffer, static_cast<std::size_t>(got)));
            taken += static_cast<std::size_t>(got);
            continue;
        }
        if (got == 0 || !WouldWait(errno)) closed_ = true;
        break;
    }
    out_ += reader_.TakeReplies();
    if (!answered_ && out_.size() - sent_ > kMaxUntakenReplies) tooMuchWaiting_ = true;
    if (Writing()) Flush();
    return Ready();
}

int TFastCgiConnection::ReadBody(void* buffer, int count) {
    const std::string& body = reader_.Body();
    const std::size_t take = std::min(static_cast<std::size_t>(std::max(count, 0)), body.size() - bodyRead_);
    std::memcpy(buffer, body.data() + bodyRead_, take);
    bodyRead_ += take;
    return static_cast<int>(take);
}

void TFastCgiConnection::Send(const char* data, std::size_t count) {
    if (closed_) return;
    // Room for a whole chart from the first header line on, instead of growing step by step.
    if (answer_.capacity() < kAnswerRoom) answer_.reserve(kAnswerRoom);
    answer_.append(data, count);
    if (answer_.size() < kSendEarly) return;
    FrameAnswer(false);
    Flush();
}

void TFastCgiConnection::FrameAnswer(bool all) {
    const std::size_t whole = all ? answer_.size() : answer_.size() - answer_.size() % FastCgi::MaxContent;
    if (whole == 0) return;
    out_.reserve(out_.size() + whole + (whole / FastCgi::MaxContent + 3) * FastCgi::HeaderSize + 8);
    FastCgi::AppendStream(out_, FastCgi::Stdout, reader_.RequestId(), std::string_view(answer_).substr(0, whole));
    answer_.erase(0, whole);
}

bool TFastCgiConnection::PeerConnected() const {
    if (closed_) return false;
    pollfd peer{fd_.Get(), POLLRDHUP, 0};
    return poll(&peer, 1, 0) <= 0 || (peer.revents & (POLLHUP | POLLERR | POLLRDHUP)) == 0;
}

void TFastCgiConnection::FinishRequest(Clock::duration serving) {
    serving_ += serving;
    FrameAnswer(true);
    std::string().swap(answer_);
    FastCgi::AppendStream(out_, FastCgi::Stdout, reader_.RequestId(), {});
    out_ += FastCgi::EndRequestRecord(reader_.RequestId(), FastCgi::RequestComplete);
    answered_ = true;
    answeredOnce_ = true;
    Flush();
}

void TFastCgiConnection::Flush() {
    while (!closed_ && Writing()) {
        const ssize_t put = send(fd_.Get(), out_.data() + sent_, out_.size() - sent_, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (put > 0) {
            sent_ += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && WouldWait(errno)) return;
        closed_ = true;
    }
    std::string().swap(out_);
    sent_ = 0;
    if (answered_ && !closed_) AfterAnswer();
}

// A kept connection waits for its next request, unless the worker is stopping.
void TFastCgiConnection::AfterAnswer() {
    answered_ = false;
    if (!reader_.KeepConnection() || closeWhenIdle_) {
        finished_ = true;
        return;
    }
    requestStart_ = Clock::now();
    serving_ = {};
    bodyRead_ = 0;
    reader_.NextRequest();
    out_ += reader_.TakeReplies();
}

bool TFastCgiConnection::Done(Clock::time_point now) const {
    if (closed_ || finished_ || tooMuchWaiting_) return true;
    if (reader_.State() == TFastCgiReader::TState::Refused) return true;
    if (closeWhenIdle_ && answeredOnce_ && Idle() && !Writing()) return true;
    return now >= Deadline();
}

std::string TFastCgiConnection::Refusal() const {
    if (reader_.State() == TFastCgiReader::TState::Refused) return reader_.Refusal();
    if (tooMuchWaiting_) return "a peer that takes no answers";
    return {};
}

}  // namespace tallyhouse::engine
