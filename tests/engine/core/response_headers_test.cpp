#include <gtest/gtest.h>

#include <ctime>

#include "platform/os/system_time.h"
#include "tests/engine/test_engine.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;
using namespace std::string_literals;

namespace {

const std::string Page = "<html>hi</html>";

std::string Serve(TTestEngine& engine, std::function<void()> handler) { return engine.Serve(std::move(handler)); }

}  // namespace

TEST(ResponseHeaders, StatusLineUnlessTheServerNamesNetscapeOrApache) {
    const struct {
        const char* software;
        const char* expected;
    } cases[] = {
        {"lighttpd/1.4.69", "HTTP/1.1 200 OK\r\ncontent-type:text/html\r\n\r\n"},
        {"", "HTTP/1.1 200 OK\r\ncontent-type:text/html\r\n\r\n"},
        {"Apache/2.4.57 (Debian)", "content-type:text/html\r\n\r\n"},
        {"my apache build", "content-type:text/html\r\n\r\n"},
        {"Netscape-Enterprise/6.0", "content-type:text/html\r\n\r\n"},
    };
    for (const auto& c : cases) {
        TTestEngine engine;
        engine.Variables["SERVER SOFTWARE"] = c.software;
        EXPECT_EQ(Serve(engine, [] { HttpWrite(Page); }), c.expected + Page) << c.software;
    }
}

TEST(ResponseHeaders, WhatStartsTheTextHeader) {
    const std::string header = "HTTP/1.1 200 OK\r\ncontent-type:text/html\r\n\r\n";
    const struct {
        const char* fault;
        std::function<void()> handler;
        std::string expected;
    } cases[] = {
        {"nothing written still gets a header", [] {}, header},
        {"leading blanks and controls before <", [] { HttpWrite(" \t\r\n<p>"); }, header + " \t\r\n<p>"},
        {"CR LF starts the header", [] { HttpWrite("\r\nx"); }, header + "\r\nx"},
        {"plain word goes before the header", [] { HttpWrite("word"); }, "word" + header},
        {"plain word then a page", [] { HttpWrite("a"); HttpWrite("<b>"); }, "a" + header + "<b>"},
        {"only the first write starts it", [] { HttpWrite("<a>"); HttpWrite("<b>"); }, header + "<a><b>"},
        {"location header has no status line",
         [] { HttpWriteHeader("Location", "http://x/"); HttpWrite("<p>"); },
         "Location:http://x/\r\ncontent-type:text/html\r\n\r\n<p>"},
        {"location in any case", [] { HttpWriteHeader("lOcAtIoN", "/y"); }, "lOcAtIoN:/y\r\ncontent-type:text/html\r\n\r\n"},
        {"other first header gets the status line", [] { HttpWriteHeader("X-A", "1"); },
         "HTTP/1.1 200 OK\r\nX-A:1\r\ncontent-type:text/html\r\n\r\n"},
        {"binary output as gif", [] { HttpSetImageKind(ImageKindGif); HttpWriteBuffer("GIF", 3); },
         "HTTP/1.1 200 OK\r\ncontent-type:image/gif\r\n\r\nGIF"},
        {"binary output as jpeg", [] { HttpSetImageKind(ImageKindJpeg); HttpWriteBuffer("\xFF\xD8", 2); },
         "HTTP/1.1 200 OK\r\ncontent-type:image/jpeg\r\n\r\n\xFF\xD8"},
        {"binary output of no kind", [] { HttpWriteBuffer("x", 1); }, header + "x"},
    };
    for (const auto& c : cases) {
        TTestEngine engine;
        EXPECT_EQ(Serve(engine, c.handler), c.expected) << c.fault;
    }
}

TEST(ResponseHeaders, ImageKindIsResetForEachRequest) {
    TTestEngine engine;
    Serve(engine, [] { HttpSetImageKind(ImageKindGif); });
    EXPECT_EQ(Serve(engine, [] { HttpWriteBuffer("x", 1); }), "HTTP/1.1 200 OK\r\ncontent-type:text/html\r\n\r\nx");
}

TEST(ResponseHeaders, NoCacheOnTextOnly) {
    TTestEngine engine;
    engine.NoCache = true;
    const std::string expires = HttpDate(std::time(nullptr) - 1000LL * 86400);
    const std::string text = Serve(engine, [] { HttpWrite(Page); });
    EXPECT_EQ(text, "HTTP/1.1 200 OK\r\ncontent-type:text/html\r\nPragma:no-cache\r\nCache-Control:no-cache\r\n"
                    "Expires:" + expires + "\r\nDocument Expires:" + expires + "\r\n\r\n" + Page);
    const std::string binary = Serve(engine, [] { HttpWriteBuffer("GIF", 3); });
    EXPECT_EQ(binary, "HTTP/1.1 200 OK\r\ncontent-type:text/html\r\n\r\nGIF");
}

TEST(ResponseHeaders, BufferedResponseGetsItsExactContentLength) {
    const struct {
        const char* fault;
        bool autoHeader;
        std::function<void()> handler;
        std::string expected;
    } cases[] = {
        {"page", true, [] { HttpWrite("<p>"); HttpWrite("12345"); },
         "HTTP/1.1 200 OK\r\ncontent-type:text/html\r\ncontent-length:8\r\n\r\n<p>12345"},
        {"binary body with zero bytes", true, [] { HttpWriteBuffer("G\0\r\n\r\n", 6); },
         "HTTP/1.1 200 OK\r\ncontent-type:text/html\r\ncontent-length:6\r\n\r\nG\0\r\n\r\n"s},
        {"empty page", true, [] {}, "HTTP/1.1 200 OK\r\ncontent-type:text/html\r\ncontent-length:0\r\n\r\n"},
        {"no automatic header sends the buffer as it is", false, [] { HttpWrite("raw"); }, "raw"},
    };
    for (const auto& c : cases) {
        TTestEngine engine;
        engine.BufferedOutput = true;
        engine.AutoHttpHeader = c.autoHeader;
        EXPECT_EQ(Serve(engine, c.handler), c.expected) << c.fault;
    }
}

TEST(ResponseHeaders, HttpDateShape) {
    EXPECT_EQ(HttpDate(1678025229), "Sun, 05 Mar 2023 14:07:09 GMT");
    EXPECT_EQ(HttpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
}
