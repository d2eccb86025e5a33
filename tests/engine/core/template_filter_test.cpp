#include <gtest/gtest.h>

#include <map>

#include "engine/core/template_filter.h"
#include "tests/engine/test_engine.h"

using namespace tallyhouse::engine;

namespace {

// Filters `text` with the given handlers on an engine without automatic headers.
struct Filtered {
    TTestEngine engine;
    THttpMemoFilter filter;
    std::vector<std::string> asked;

    Filtered() {
        engine.AutoHttpHeader = false;
        engine.MakeCurrent();
    }
    std::string Run(const std::string& text) {
        engine.Output.clear();
        filter.SetText(text);
        filter.Execute();
        return engine.Output;
    }
    void Conditions(std::map<std::string, bool> values) {
        filter.OnHttpLogicalEntry = [this, values](const std::string& name, bool& value) {
            asked.push_back(name);
            value = values.count(name) && values.at(name);
        };
    }
};

}  // namespace

TEST(TemplateFilter, TagsFallBackToVariablesThenFields) {
    Filtered f;
    f.engine.FormData = "name=Ann&REMOTE_ADDR=spoofed&PATH=field&x=%3Cb%3E&TIME=t";
    f.engine.Variables["REMOTE_ADDR"] = "10.1.2.3";
    f.engine.Variables["PATH"] = "/usr/bin";
    const struct {
        const char* fault;
        std::string line, expected;
    } cases[] = {
        {"field by name", "Hello %name%!", "Hello Ann!\r\n"},
        {"variables before fields", "%REMOTE_ADDR% %PATH%", "10.1.2.3 /usr/bin\r\n"},
        {"request data is escaped", "#x#", "&lt;b&gt;\r\n"},
        {"field named TIME wins over the time", "%TIME%", "t\r\n"},
        {"unknown tag vanishes", "a#FF0000#b", "ab\r\n"},
        {"unclosed tag stays", "#FF0000 red", "#FF0000 red\r\n"},
        {"percent signs in prose stay", "100% sure, 20% more", "100% sure, 20% more\r\n"},
        {"empty tag vanishes", "100%% done", "100 done\r\n"},
        {"lower-case if is no tag", "%if a%y%endif%", "%if aendif%\r\n"},
        {"two words are no tag", "%IF a b%", "%IF a b%\r\n"},
        {"the other delimiter inside makes it text", "%a#b%", "%a#b%\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(f.Run(c.line), c.expected) << c.fault;
}

TEST(TemplateFilter, EntryHandlerOwnsEveryTagItLeavesHandled) {
    Filtered f;
    f.filter.OnHttpEntry = [](const std::string& name, bool& handled) {
        if (name == "message") HttpWrite("Saved");
        if (name == "lookup") handled = false;
    };
    f.engine.FormData = "lookup=L";
    EXPECT_EQ(f.Run("<p>%message%</p> %TIME%%DATE%[%lookup%]"), "<p>Saved</p> [L]\r\n");
}

TEST(TemplateFilter, DateTimeAndHiddenInputWithoutHandler) {
    Filtered f;
    EXPECT_FALSE(f.Run("%TIME%|%DATE%").empty());
    EXPECT_EQ(RandomHiddenInput(65), "<INPUT TYPE=\"HIDDEN\" NAME=\"RANDOM_HIDDEN_INPUT\" VALUE=\"65\">");
    EXPECT_EQ(f.Run("%RANDOM_HIDDEN_INPUT%").rfind("<INPUT TYPE=\"HIDDEN\" NAME=\"RANDOM_HIDDEN_INPUT\" VALUE=\"", 0), 0u);
}

TEST(TemplateFilter, ConditionsChooseOneBranch) {
    const std::string line = "%IF A%x%ELSEIF B%y%ELSE%z%ENDIF%";
    const struct {
        const char* fault;
        std::map<std::string, bool> values;
        std::string expected;
    } cases[] = {
        {"first branch", {{"A", true}, {"B", true}}, "x\r\n"},
        {"elseif branch", {{"B", true}}, "y\r\n"},
        {"else branch", {}, "z\r\n"},
    };
    for (const auto& c : cases) {
        Filtered f;
        f.Conditions(c.values);
        EXPECT_EQ(f.Run(line), c.expected) << c.fault;
    }
    Filtered none;
    EXPECT_EQ(none.Run(line), "z\r\n") << "no condition handler";
}

TEST(TemplateFilter, InactiveBranchesAskNothingAndOpenNothing) {
    Filtered f;
    f.Conditions({{"inner", true}});
    EXPECT_EQ(f.Run("%IF outer%a%IF inner%b%ELSE%c%ENDIF%d%ENDIF%e\nnext"), "e\r\nnext\r\n");
    EXPECT_EQ(f.asked, std::vector<std::string>{"outer"});
}

TEST(TemplateFilter, ConditionsSpanLinesAndStrayTagsLeaveThePage) {
    Filtered f;
    f.Conditions({{"yes", true}});
    EXPECT_EQ(f.Run("%IF no%\nhidden\n%ELSE%\nshown\n%ENDIF%\nafter"), "\r\nshown\r\n\r\nafter\r\n");
    EXPECT_EQ(f.Run("%ENDIF%a%ELSE%b%ELSEIF yes%c"), "abc\r\n") << "ENDIF, ELSE and ELSEIF outside any IF";
    EXPECT_EQ(f.Run("%IF no%unclosed"), "") << "an IF never closed hides the rest";
    EXPECT_EQ(f.Run("fresh"), "fresh\r\n") << "the next page starts afresh";
}

TEST(TemplateFilter, DeepNestingStaysInBounds) {
    Filtered f;
    f.Conditions({{"c", true}});
    std::string open, close;
    for (int i = 0; i < 100; ++i) {
        open += "%IF c%";
        close += "%ENDIF%";
    }
    EXPECT_EQ(f.Run(open + "deep" + close + "out"), "deepout\r\n");
    EXPECT_EQ(f.Run(open + "%ELSE%no" + close + "%IF c%yes%ENDIF%"), "yes\r\n");
}

TEST(TemplateFilter, TagCharacters) {
    for (const char* ok : {"", "name", "a$b'c*d+e-f", "x/y:z;<=>?@[\\]^_`{|}~", "IF a", "ELSEIF b", "IF  a", "\xFC"})
        EXPECT_TRUE(IsValidTag(ok)) << ok;
    for (const char* bad : {"a b", " IF a", "if a", "a.b", "a,b", "a!", "a\"", "a&b", "(a)", "a\tb", "IF a b"})
        EXPECT_FALSE(IsValidTag(bad)) << bad;
}
