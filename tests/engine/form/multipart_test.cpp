#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "engine/form/form_fields.h"
#include "engine/form/multipart.h"
#include "engine/form/url_coding.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::engine;

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const std::string B = "----tallyhouse7d1";

std::string TextPart(const std::string& name, const std::string& value) {
    return "--" + B + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
}

std::string FilePart(const std::string& name, const std::string& file, const std::string& type,
                     const std::string& content) {
    return "--" + B + "\r\nContent-Disposition: form-data; name=\"" + name + "\"; filename=\"" + file +
           "\"\r\nContent-Type: " + type + "\r\n\r\n" + content + "\r\n";
}

std::string End() { return "--" + B + "--\r\n"; }

// Converts a body delivered in pieces of `chunk` bytes; uploads go to a folder of the test's own.
struct Conversion {
    fs::path folder;
    std::vector<std::string> created;
    std::string data;

    explicit Conversion(const std::string& body, int chunk = 1 << 20, long long declared = -1, int failAfter = -1) {
        static int counter = 0;
        folder = fs::path(TALLYHOUSE_BINARY_DIR) / "scratch" /
                 ("multipart-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(folder);
        fs::create_directories(folder);
        size_t at = 0;
        int reads = 0;
        const TBodyReader reader = [&](char* buffer, int count) {
            if (failAfter >= 0 && reads++ >= failAfter) return -1;
            const size_t n = std::min({body.size() - at, static_cast<size_t>(count), static_cast<size_t>(chunk)});
            body.copy(buffer, n, at);
            at += n;
            return static_cast<int>(n);
        };
        int next = 4711;
        const TMultipartUploads uploads{folder.string(), &created, [&](int) { return next++; }};
        data = ConvertMultipart(reader, declared < 0 ? static_cast<long long>(body.size()) : declared, uploads);
    }
    ~Conversion() { fs::remove_all(folder); }
    std::string Field(const std::string& name) const { return FindField(data, name, "#none#"); }
};

}  // namespace

TEST(Multipart, UploadGivesThreeFieldsAndTheExactBytes) {
    const std::string gif = "GIF89a\r\n\0\x01--x\r\n"s;
    Conversion c(TextPart("command", "add") + FilePart("pic", "C:\\pics\\a.gif", "image/gif", gif) + End());
    const std::string stored = (c.folder / "4711a.tmp").string();
    EXPECT_EQ(c.data, "command=add&pic_CONTENT_TYPE=+image/gif&pic=C%3A\\pics\\a.gif&pic_FILENAME=" +
                          UrlEncode(stored) + "&");
    EXPECT_EQ(c.Field("pic_CONTENT_TYPE"), " image/gif");
    EXPECT_EQ(c.Field("pic"), "C:\\pics\\a.gif");
    EXPECT_EQ(c.Field("pic_filename"), stored);
    EXPECT_EQ(c.created, std::vector<std::string>{stored});
    EXPECT_EQ(testsupport::ReadFile(stored), gif);
}

TEST(Multipart, TextValuesLoseOnlyTheirLineBreak) {
    Conversion c(TextPart("a", "two\r\nlines") + TextPart("empty", "") + TextPart("zero", std::string("x\0y", 3)) +
                 TextPart("odd&name=", "v") + End());
    EXPECT_EQ(c.Field("a"), "two\r\nlines");
    EXPECT_EQ(c.Field("empty"), "");
    EXPECT_EQ(c.Field("zero"), "x");
    EXPECT_EQ(c.Field("odd&name="), "v");
}

TEST(Multipart, LargeUploadsStreamThroughTheBufferInAnyPieces) {
    std::string big;
    for (int i = 0; i < 400000; ++i) big += static_cast<char>("-\r\n-ab"[i % 6]);
    const std::string longBoundary(200, 'q');
    for (int chunk : {7, 4096, 1 << 20}) {
        Conversion c(FilePart("f", "big.bin", "application/octet-stream", big) + TextPart("after", "yes") + End(),
                     chunk);
        ASSERT_EQ(c.created.size(), 1u) << chunk;
        EXPECT_EQ(testsupport::ReadFile(c.created[0]), big) << "file cut or padded, pieces of " << chunk;
        EXPECT_EQ(c.Field("after"), "yes") << chunk;
    }
    const std::string body = "--" + longBoundary + "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"b\"\r\n\r\n" +
                             big + "\r\n--" + longBoundary + "--\r\n";
    Conversion c(body, 999);
    ASSERT_EQ(c.created.size(), 1u);
    EXPECT_EQ(testsupport::ReadFile(c.created[0]), big) << "a boundary longer than 100 characters spanning a refill";
}

TEST(Multipart, BadBodiesEndWithTheCompleteFields) {
    const std::string two = TextPart("a", "1") + TextPart("b", "2");
    const std::string upload = FilePart("pic", "a.gif", "image/gif", std::string(5000, 'g'));
    const struct {
        const char* fault;
        std::string body;
        long long declared;
        std::string expected;
    } cases[] = {
        {"body shorter than its length", two + End(), 100000, "a=1&b=2&"},
        {"cut off mid text part", two + TextPart("c", "33333").substr(0, 60), -1, "a=1&b=2&"},
        {"cut off mid upload drops its fields", two + upload.substr(0, 300), -1, "a=1&b=2&"},
        {"cut off in the headers", two + "--" + B + "\r\nContent-Disp", -1, "a=1&b=2&"},
        {"no boundary line", "\r\n" + two, -1, ""},
        {"boundary of two characters", "--\r\n" + two, -1, ""},
        {"empty body", "", 0, ""},
        {"header line too long", two + "--" + B + "\r\nX: " + std::string(3000, 'h') + "\r\n\r\nv\r\n" + End(), -1,
         "a=1&b=2&"},
        {"text part larger than the buffer", two + TextPart("big", std::string(200000, 't')) + TextPart("z", "9"), -1,
         "a=1&b=2&"},
        {"part without a name is skipped", "--" + B + "\r\nX: y\r\n\r\nv\r\n" + two + End(), -1, "a=1&b=2&"},
    };
    for (const auto& c : cases) {
        Conversion conversion(c.body, 1 << 20, c.declared);
        EXPECT_EQ(conversion.data, c.expected) << c.fault;
    }
}

TEST(Multipart, ReadErrorGivesNoFieldsButKeepsStoredFilesRegistered) {
    Conversion c(FilePart("pic", "a.gif", "image/gif", std::string(300000, 'g')) + End(), 100000, -1, 2);
    EXPECT_EQ(c.data, "");
    EXPECT_EQ(c.created.size(), 1u);
}

TEST(Multipart, StoredNamesStayInTheFolder) {
    EXPECT_EQ(StoredUploadName(4711, "C:\\pics\\cat.gif"), "4711cat.tmp");
    EXPECT_EQ(StoredUploadName(1, "../../etc/passwd"), "1passwd.tmp");
    EXPECT_EQ(StoredUploadName(2, "archive.tar.gz"), "2archive.tmp");
    EXPECT_EQ(StoredUploadName(3, ".."), "3.tmp");
    EXPECT_EQ(StoredUploadName(4, std::string(500, 'n')).size(), 205u);
}
