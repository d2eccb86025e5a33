#include <gtest/gtest.h>

#include "engine/form/form_fields.h"
#include "engine/core/http_engine.h"

using namespace tallyhouse::engine;

using Names = std::vector<std::string>;

TEST(FormFields, LookupMatchesNamesWithoutCaseAndJoinsRepeats) {
    const struct {
        const char* fault;
        std::string data, name, expected;
    } cases[] = {
        {"repeats joined by CR LF", "a=1&A=2&b=%41+B", "a", "1\r\n2"},
        {"wanted name trimmed and decoded value", "a=1&A=2&b=%41+B", " b ", "A B"},
        {"empty duplicate still adds CR LF", "x=1&x=&x=3", "x", "1\r\n\r\n3"},
        {"name decoded once", "%2541=v", "%41", "v"},
        {"encoded name matches", "na%6De=v", "NAME", "v"},
        {"text without = joins the next name", "a&b=1", "a&b", "1"},
        {"no pair of a name without =", "a&b=1", "b", NotAvailable},
        {"value holds later =", "q=1=2", "q", "1=2"},
        {"empty value is not missing", "q=", "q", ""},
        {"missing field gives the default", "q=1", "r", NotAvailable},
        {"empty form data", "", "q", NotAvailable},
    };
    for (const auto& c : cases) EXPECT_EQ(FindField(c.data, c.name, NotAvailable), c.expected) << c.fault;
}

TEST(FormFields, ValuesComeOneByOneWithTheirOwnLineBreaks) {
    const TFormFields fields("a=1&A=2%0D%0A3&b=4&+a=");
    EXPECT_EQ(fields.Values("a"), (Names{"1", "2\r\n3", ""}));
    EXPECT_EQ(fields.Values("c"), Names{});
    EXPECT_EQ(JoinFieldValues(fields.Values("a")), fields.Find("a", NotAvailable));
}

TEST(FormFields, NamesDropOnlyImmediateRepeats) {
    EXPECT_EQ(FieldNames("a=1&A=2&b=%41+B"), (Names{"a", "A", "b"}));
    EXPECT_EQ(FieldNames("x=1&x=2&y=3&x=4"), (Names{"x", "y", "x"}));
    EXPECT_EQ(FieldNames("%2541=1&plain&c+d=2&"), (Names{"%41", "c d"}));
    EXPECT_EQ(FieldNames(""), Names{});
}
