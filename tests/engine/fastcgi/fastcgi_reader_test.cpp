// The FastCGI request reader on its own: records as a web server sends them, in any pieces, and
// the ones a peer should not send.
#include <gtest/gtest.h>

#include "engine/fastcgi/fastcgi_reader.h"

using namespace tallyhouse::engine;

namespace {

using namespace FastCgi;
using TState = TFastCgiReader::TState;

std::string Begin(std::uint16_t id, std::uint16_t role = ResponderRole, std::uint8_t flags = 0) {
    return Record(BeginRequest, id, std::string{0, static_cast<char>(role), static_cast<char>(flags), 0, 0, 0, 0, 0});
}

// A GET of the help page with a body of "body", the variables in two records, one record padded.
std::string Request(std::uint16_t id = 1, std::uint8_t flags = 0) {
    const std::string pairs = WritePairs({{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", std::string("a=1\0b", 5)}});
    std::string padded = Record(Stdin, id, "body");
    padded[6] = 3;
    padded += "pad";
    return Begin(id, ResponderRole, flags) + Record(Params, id, pairs.substr(0, 9)) + Record(Params, id, pairs.substr(9)) +
           Record(Params, id, "") + padded + Record(Stdin, id, "");
}

TFastCgiLimits Limits() {
    TFastCgiLimits limits;
    limits.ParamsBytes = 1000;
    limits.BodyBytes = 3;
    limits.Connections = 7;
    return limits;
}

TEST(FastCgiReader, AWholeRequestInAnyPiecesIsReadWithinItsLimits) {
    TFastCgiReader reader(Limits());
    const std::string bytes = Request();
    for (size_t i = 0; i + 1 < bytes.size(); ++i) ASSERT_EQ(reader.Feed(bytes.substr(i, 1)), TState::Reading) << i;
    ASSERT_EQ(reader.Feed(bytes.substr(bytes.size() - 1)), TState::Ready);
    EXPECT_EQ(reader.RequestId(), 1);
    EXPECT_FALSE(reader.KeepConnection());
    EXPECT_EQ(*reader.Param("REQUEST_METHOD"), "GET");
    EXPECT_EQ(*reader.Param("QUERY_STRING"), "a=1") << "cut at the NUL, as an environment variable is";
    EXPECT_EQ(reader.Param("CONTENT_LENGTH"), nullptr);
    EXPECT_EQ(reader.Body(), "bod") << "no more than the body limit is kept";
    EXPECT_EQ(reader.TakeReplies(), "");
}

TEST(FastCgiReader, AKeptConnectionReadsItsNextRequestOnceTheFirstIsServed) {
    TFastCgiReader reader(Limits());
    ASSERT_EQ(reader.Feed(Request(1, KeepConnection) + Request(2)), TState::Ready);
    EXPECT_TRUE(reader.KeepConnection());
    ASSERT_EQ(reader.NextRequest(), TState::Ready);
    EXPECT_EQ(reader.RequestId(), 2);
    EXPECT_EQ(reader.Body(), "bod");
}

TEST(FastCgiReader, ManagementRecordsAndRequestsItCannotServeAreAnswered) {
    const struct {
        const char* what;
        std::string bytes;
        std::string replies;
    } cases[] = {
        {"the values asked for, each once, and no others",
         Record(GetValues, 0, WritePairs({{"FCGI_MPXS_CONNS", ""}, {"FCGI_MAX_CONNS", ""}, {"FCGI_MPXS_CONNS", ""}, {"X", ""}})),
         Record(GetValuesResult, 0, WritePairs({{"FCGI_MAX_CONNS", "7"}, {"FCGI_MPXS_CONNS", "0"}}))},
        {"an unknown management record", Record(42, 0, "x"), UnknownTypeRecord(42)},
        {"a second request at the same time", Begin(1) + Begin(2), EndRequestRecord(2, CantMultiplex)},
        {"another role than responder", Begin(1, 2), EndRequestRecord(1, UnknownRole)},
    };
    for (const auto& c : cases) {
        TFastCgiReader reader(Limits());
        EXPECT_EQ(reader.Feed(c.bytes), TState::Reading) << c.what;
        EXPECT_EQ(reader.TakeReplies(), c.replies) << c.what;
    }
}

TEST(FastCgiReader, WhatIsNoRequestRefusesTheConnection) {
    const struct {
        const char* what;
        std::string bytes;
        std::string refusal;
    } cases[] = {
        {"HTTP sent to the FastCGI socket", "GET / HTTP/1.1\r\nHost: x\r\n\r\n", "not a FastCGI record"},
        {"variables beyond the limit", Begin(1) + Record(Params, 1, std::string(600, 'v')) + Record(Params, 1, std::string(600, 'v')),
         "parameters longer than 1000 bytes"},
        {"a length running past the variables", Begin(1) + Record(Params, 1, "\x05\x01" "ab") + Record(Params, 1, ""),
         "parameters that do not parse"},
        {"a request start too short", Record(BeginRequest, 1, std::string("\x00\x01", 2)), "a request start of 2 bytes"},
        {"a request started twice", Begin(1) + Begin(1), "a request started twice"},
        {"an aborted request, worth no log line", Begin(1) + Record(AbortRequest, 1, ""), ""},
    };
    for (const auto& c : cases) {
        TFastCgiReader reader(Limits());
        EXPECT_EQ(reader.Feed(c.bytes), TState::Refused) << c.what;
        EXPECT_EQ(reader.Refusal(), c.refusal) << c.what;
    }
}

}  // namespace
