#include <gtest/gtest.h>

#include <filesystem>

#include "tests/app/expected_pages.h"
#include "tests/support/cgi_runner.h"

using namespace testsupport;

namespace {

const std::string kNotFoundHeader = "HTTP/1.1 404 Not Found\r\nStatus:404 Not Found\r\ncontent-type:text/html\r\n\r\n";

TEST(View, MissingPollFileAnswers404WithTheMessagePage) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.Path() / "folder.pol");
    dir.Write("outside.pol", "d,a,x\r\n");
    std::filesystem::create_directory(dir.Path() / "sub");
    dir.Write("tallyhouse.key", "");
    dir.Write("Q.POL", "d,a,x\r\n");
    dir.Write("answers.txt", "d,a,x\r\n");
    std::filesystem::create_symlink("outside.pol", dir.Path() / "link.pol");
    const std::string here = dir.Path().filename().string();
    const std::string parent = "filename=..%2F" + here + "%2Foutside.pol";
    struct Case {
        const char* fault;
        const char* query;
        std::string shown;
    } const cases[] = {
        {"missing file", "filename=x.pol", "x.pol"},
        {"sample names are case-sensitive", "filename=TestEnglish", "TestEnglish"},
        {"a folder is not a poll file", "filename=folder.pol", "folder.pol"},
        {"parent folder", parent.c_str(), "../" + here + "/outside.pol"},
        {"sub folder", "filename=sub%2F..%2Foutside.pol", "sub/../outside.pol"},
        {"backslash", "filename=a%5Cb.pol", "a\\b.pol"},
        {"NUL byte cuts the name", "filename=outside.pol%00x", std::string("outside.pol\0x", 13)},
        {"empty name is the folder", "filename=", ""},
        {"name shown escaped", "filename=%3Cb%3E%26.pol", "&lt;b&gt;&amp;.pol"},
        {"the program itself", "filename=tallyhouse.cgi", "tallyhouse.cgi"},
        {"the key file", "filename=tallyhouse.key", "tallyhouse.key"},
        {"a file that is no poll file", "filename=answers.txt", "answers.txt"},
        {"upper-case extension, a name add never writes", "filename=Q.POL", "Q.POL"},
        {"a link, even to a poll file", "filename=link.pol", "link.pol"},
    };
    for (const Case& c : cases) {
        const CgiResult result = RunProgram(dir.Program(), GetRequest(std::string("command=view&") + c.query));
        EXPECT_EQ(result.output, kNotFoundHeader + SentMessagePage("Pollfile \"" + c.shown + "\"not found !"))
            << c.fault;
    }
}

}  // namespace
