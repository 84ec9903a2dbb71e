// String tables in the old text form: entries, comments, escapes (including \U surrogate pairs) and
// refusal of malformed text with an error naming the fault, its line and its offset.
#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/parse_error.h"
#include "platform/foundation/string_table.h"
#include "platform/foundation/testing/log_capture.h"

namespace fnd {
namespace {

TEST(StringTableTest, ParsesEntriesCommentsAndEscapes) {
    struct Case {
        std::string text;
        StringTable::Map expected;
    };
    const Case cases[] = {
        {"", {}},
        {"  /* only a comment */\n// and another\n", {}},
        {"\"a\" = \"b\";", {{"a", "b"}}},
        {"\xEF\xBB\xBF\"a\"=\"b\";", {{"a", "b"}}},
        {"/* head */\n\"k1\" = \"v1\"; // tail\n\"k2\"\t=\n\"v2\" ;", {{"k1", "v1"}, {"k2", "v2"}}},
        {R"("q" = "say \"hi\" \\ \'x\'";)", {{"q", "say \"hi\" \\ 'x'"}}},
        {R"("n" = "a\nb\tc\rd";)", {{"n", "a\nb\tc\rd"}}},
        {R"("u" = "\U0041\U00e9\U20AC";)", {{"u", "A\xC3\xA9\xE2\x82\xAC"}}},
        {R"("pair" = "\UD83D\UDE00!";)", {{"pair", "\xF0\x9F\x98\x80!"}}},
        {R"("lone" = "\UD83Dx";)", {{"lone", "\xEF\xBF\xBDx"}}},
        {"\"multi\" = \"line one\nline two\";", {{"multi", "line one\nline two"}}},
        {"\"%d minute%@ ago\" = \"%d minute%@ ago\";", {{"%d minute%@ ago", "%d minute%@ ago"}}},
        {"\"/* not a comment */\" = \"// nor this\";", {{"/* not a comment */", "// nor this"}}},
        {"\"dup\" = \"first\"; \"dup\" = \"second\";", {{"dup", "second"}}},
        {"\"\xC3\xA9t\xC3\xA9\" = \"summer\";", {{"\xC3\xA9t\xC3\xA9", "summer"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto parsed = StringTable::parse(c.text);
        ASSERT_TRUE(parsed.ok());
        EXPECT_EQ(*parsed, c.expected);
    }
}

TEST(StringTableTest, RefusesMalformedTextWithAReasonAndPlace) {
    struct Case {
        std::string text;
        std::string logged;
    };
    const Case cases[] = {
        {"\"a\" = \"b\"", "expected ';' at line 1"},
        {"\"a\" \"b\";", "expected '=' at line 1"},
        {"\"a\" = b;", "expected a quoted value at line 1"},
        {"a = \"b\";", "expected a quoted key at line 1"},
        {"\"ok\" = \"1\";\n\n\"a\" = \"open", "unterminated string at line 3"},
        {"\"a\" = \"b\\", "unterminated string at line 1"},
        {"\"a\" = \"b\"; /* open\n", "unterminated comment at line 1"},
        {"\"a\" = \"\\q\";", "unknown escape \\q at line 1"},
        {"\"a\" = \"\\U12G4\";", "bad \\U escape at line 1"},
        {"\"a\" = \"\\U12", "short \\U escape at line 1"},
        {"\"a\" = \"\xFF\";", "text is not valid UTF-8"},
        {"\"a\" = \"b\";;", "expected a quoted key at line 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        testing::LogCapture log;
        auto parsed = StringTable::parse(c.text);
        ASSERT_FALSE(parsed.ok());
        EXPECT_EQ(parsed.error().domain(), kParseErrorDomain);
        EXPECT_TRUE(parsed.error().localizedDescription().starts_with(c.logged))
            << parsed.error().localizedDescription();
        EXPECT_TRUE(log.lines().empty()); // the caller decides whether to log
    }
}

TEST(StringTableTest, ErrorsNameTheOffsetOfTheFault) {
    struct Case {
        std::string text;
        ParseErrorCode code;
        std::string description;
    };
    const Case cases[] = {
        // An unterminated string is placed where it opens.
        {"\"ok\" = \"1\";\n\n\"a\" = \"open", kParseTruncated, "unterminated string at line 3 (offset 19)"},
        // Offsets count the byte-order mark and the two bytes of "\xC3\xA9".
        {"\xEF\xBB\xBF\"\xC3\xA9\" = \"\\q\";", kParseMalformed, "unknown escape \\q at line 1 (offset 11)"},
        {"\"a\" = \"b\";\n\"c\" = \"\xFF\";", kParseBadEncoding, "text is not valid UTF-8 at line 2 (offset 18)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto parsed = StringTable::parse(c.text);
        ASSERT_FALSE(parsed.ok());
        EXPECT_EQ(parsed.error().code(), c.code);
        EXPECT_EQ(parsed.error().localizedDescription(), c.description);
    }
}

} // namespace
} // namespace fnd
