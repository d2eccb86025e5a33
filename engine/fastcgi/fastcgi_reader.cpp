#include "engine/fastcgi/fastcgi_reader.h"

#include <algorithm>

namespace tallyhouse::engine {

using namespace FastCgi;

// Whole records are taken straight from the bytes as they come; only a record's unfinished
// start waits in pending_ for the rest.
TFastCgiReader::TState TFastCgiReader::Feed(std::string_view bytes) {
    if (state_ == TState::Refused) return state_;
    started_ = started_ || !bytes.empty();
    if (pending_.empty()) {
        pending_.assign(bytes.substr(TakeRecords(bytes)));
    } else {
        pending_.append(bytes);
        pending_.erase(0, TakeRecords(pending_));
    }
    return state_;
}

std::size_t TFastCgiReader::TakeRecords(std::string_view bytes) {
    std::size_t at = 0;
    while (state_ == TState::Reading && bytes.size() - at >= HeaderSize) {
        const THeader header = ReadHeader(bytes.substr(at));
        if (header.Version != Version) {
            Refuse("not a FastCGI record");
            break;
        }
        const std::size_t length = HeaderSize + header.ContentLength + header.PaddingLength;
        if (bytes.size() - at < length) break;
        TakeRecord(header, bytes.substr(at + HeaderSize, header.ContentLength));
        at += length;
    }
    return at;
}

const std::string* TFastCgiReader::Param(std::string_view name) const {
    const auto found = std::find_if(params_.begin(), params_.end(), [name](const auto& pair) { return pair.first == name; });
    return found == params_.end() ? nullptr : &found->second;
}

TFastCgiReader::TState TFastCgiReader::NextRequest() {
    state_ = TState::Reading;
    started_ = !pending_.empty();
    begun_ = false;
    requestId_ = 0;
    keepConnection_ = false;
    paramBytes_.clear();
    paramsEnded_ = false;
    params_.clear();
    body_.clear();
    bodyEnded_ = false;
    return Feed({});
}

void TFastCgiReader::TakeRecord(const THeader& header, std::string_view content) {
    if (header.RequestId == 0) {
        AnswerManagement(header, content);
        return;
    }
    if (header.Type == BeginRequest) {
        Begin(header, content);
        return;
    }
    // Records of a request that is not in hand (one turned away, or one already ended) are
    // passed over; DATA is not for a responder.
    if (!begun_ || header.RequestId != requestId_) return;
    if (header.Type == Params) TakeParams(content);
    if (header.Type == Stdin) TakeBody(content);
    if (header.Type == AbortRequest) Refuse("");
    if (state_ == TState::Reading && paramsEnded_ && bodyEnded_) state_ = TState::Ready;
}

void TFastCgiReader::Begin(const THeader& header, std::string_view content) {
    if (content.size() < 8) {
        Refuse("a request start of " + std::to_string(content.size()) + " bytes");
        return;
    }
    if (begun_) {
        if (header.RequestId == requestId_) Refuse("a request started twice");
        else replies_ += EndRequestRecord(header.RequestId, CantMultiplex);
        return;
    }
    const auto role = static_cast<std::uint16_t>(static_cast<unsigned char>(content[0]) << 8 | static_cast<unsigned char>(content[1]));
    if (role != ResponderRole) {
        replies_ += EndRequestRecord(header.RequestId, UnknownRole);
        return;
    }
    begun_ = true;
    requestId_ = header.RequestId;
    keepConnection_ = (static_cast<unsigned char>(content[2]) & FastCgi::KeepConnection) != 0;
}

void TFastCgiReader::TakeParams(std::string_view content) {
    if (paramsEnded_) return;
    if (!content.empty()) {
        if (content.size() > limits_.ParamsBytes - paramBytes_.size())
            Refuse("parameters longer than " + std::to_string(limits_.ParamsBytes) + " bytes");
        else
            paramBytes_.append(content);
        return;
    }
    paramsEnded_ = true;
    std::optional<TPairs> pairs = ReadPairs(paramBytes_);
    std::string().swap(paramBytes_);
    if (!pairs) {
        Refuse("parameters that do not parse");
        return;
    }
    params_ = std::move(*pairs);
    for (auto& [name, value] : params_) value.resize(std::min(value.size(), value.find('\0')));
}

void TFastCgiReader::TakeBody(std::string_view content) {
    if (bodyEnded_) return;
    if (content.empty()) {
        bodyEnded_ = true;
        return;
    }
    const std::size_t room = limits_.BodyBytes - std::min(limits_.BodyBytes, body_.size());
    body_.append(content.substr(0, room));
}

void TFastCgiReader::AnswerManagement(const THeader& header, std::string_view content) {
    if (header.Type != GetValues) {
        replies_ += UnknownTypeRecord(header.Type);
        return;
    }
    const std::optional<TPairs> asked = ReadPairs(content);
    if (!asked) {
        Refuse("a management record that does not parse");
        return;
    }
    const std::string connections = std::to_string(limits_.Connections);
    const TPairs values = {{"FCGI_MAX_CONNS", connections}, {"FCGI_MAX_REQS", connections}, {"FCGI_MPXS_CONNS", "0"}};
    TPairs known;
    for (const auto& value : values)
        if (std::any_of(asked->begin(), asked->end(), [&value](const auto& pair) { return pair.first == value.first; }))
            known.push_back(value);
    replies_ += Record(GetValuesResult, 0, WritePairs(known));
}

void TFastCgiReader::Refuse(std::string why) {
    state_ = TState::Refused;
    refusal_ = std::move(why);
}

}  // namespace tallyhouse::engine
