// Everyday string operations: prefixes, splitting, replacing, trimming, character sets, case mapping
// of non-ASCII names, case-insensitive ordering and the stable hash.
#include <gtest/gtest.h>

#include "platform/foundation/string_ops.h"

namespace fnd {
namespace {

TEST(StringOpsTest, PrefixSuffixAndContains) {
    EXPECT_TRUE(hasPrefix("http://host", "http://"));
    EXPECT_FALSE(hasPrefix("http", "http://"));
    EXPECT_TRUE(hasPrefix("abc", ""));
    EXPECT_TRUE(hasSuffix("photo.PNG", ".PNG"));
    EXPECT_FALSE(hasSuffix("photo.PNG", ".png"));
    EXPECT_FALSE(hasSuffix("g", "png"));
    EXPECT_TRUE(hasSuffix("", ""));

    EXPECT_TRUE(contains("Hello World", "o W"));
    EXPECT_FALSE(contains("Hello World", "world"));
    EXPECT_TRUE(contains("Hello World", "world", Options::CaseInsensitive));
    EXPECT_TRUE(contains("Gr\xC3\x9C\xC3\x9F", "\xC3\xBC", Options::CaseInsensitive)); // "GrÜß" holds "ü"
    EXPECT_FALSE(contains("abc", ""));
    EXPECT_FALSE(contains("", "a", Options::CaseInsensitive));
}

TEST(StringOpsTest, SplitsJoinsAndReplaces) {
    struct Case {
        std::string text, separator;
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {"a,b,,c", ",", {"a", "b", "", "c"}},
        {"", ",", {""}},
        {",", ",", {"", ""}},
        {"abc", "", {"abc"}},
        {"one::two::", "::", {"one", "two", ""}},
        {"no separator", ";", {"no separator"}},
        {"\xC3\xA4|\xC3\xB6", "|", {"\xC3\xA4", "\xC3\xB6"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(componentsSeparatedByString(c.text, c.separator), c.parts) << c.text;
        if (!c.separator.empty()) {
            EXPECT_EQ(componentsJoinedByString(c.parts, c.separator), c.text);
        }
    }
    EXPECT_EQ(componentsJoinedByString({}, ","), "");

    EXPECT_EQ(replaceOccurrences("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replaceOccurrences("a.b.c", ".", "::"), "a::b::c");
    EXPECT_EQ(replaceOccurrences("x", "", "y"), "x");
    EXPECT_EQ(replaceOccurrences("%name% and %name%", "%name%", "%name%!"), "%name%! and %name%!");
    EXPECT_EQ(replaceOccurrences("abc", "abc", ""), "");
}

TEST(StringOpsTest, CharacterSetsTrimAndRemove) {
    struct Member {
        char32_t c;
        bool whitespace, whitespaceAndNewline;
    };
    const Member members[] = {
        {U' ', true, true},   {U'\t', true, true},    {U'\n', false, true},  {U'\r', false, true},
        {0x0B, false, true},  {0x0C, false, true},    {0x85, false, true},   {0xA0, true, true},
        {0x2003, true, true}, {0x3000, true, true},   {0x2028, false, true}, {0x2029, false, true},
        {U'a', false, false}, {0x200B, false, false}, {0, false, false},
    };
    for (const auto& m : members) {
        EXPECT_EQ(CharSet::Whitespace.contains(m.c), m.whitespace) << static_cast<uint32_t>(m.c);
        EXPECT_EQ(CharSet::WhitespaceAndNewline.contains(m.c), m.whitespaceAndNewline) << static_cast<uint32_t>(m.c);
    }

    EXPECT_EQ(trim("  \t hi there \n", CharSet::Whitespace), "hi there \n");
    EXPECT_EQ(trim("  \t hi there \n", CharSet::WhitespaceAndNewline), "hi there");
    EXPECT_EQ(trim("\xE3\x80\x80x y\xC2\xA0", CharSet::Whitespace), "x y"); // ideographic space, NBSP
    EXPECT_EQ(trim(" \n\t ", CharSet::WhitespaceAndNewline), "");
    EXPECT_EQ(trim("", CharSet::Whitespace), "");
    EXPECT_EQ(trim("--a-b--", CharSet::custom("-")), "a-b");
    EXPECT_EQ(trim(" \xFF ", CharSet::Whitespace), "\xFF"); // bytes in the middle are kept as they are

    const CharSet digits = CharSet::custom("0123456789");
    EXPECT_TRUE(digits.contains(U'7'));
    EXPECT_FALSE(digits.contains(U'a'));
    EXPECT_FALSE(digits.contains(0x0660)); // ARABIC-INDIC DIGIT ZERO
    EXPECT_EQ(removeCharacters("+1 (555) 123-4567", CharSet::custom("-() ")), "+15551234567");
    EXPECT_EQ(removeCharacters("M\xC3\xA4rchen \xC3\xB6l", CharSet::custom("\xC3\xA4\xC3\xB6 ")), "Mrchenl");
    EXPECT_EQ(removeCharacters("a\xFF"
                               "b",
                               CharSet::custom("a")),
              "\xEF\xBF\xBD"
              "b");

    // An allowed-character test: nothing remains once the allowed characters are removed.
    const CharSet allowed = CharSet::custom("abcdefghijklmnopqrstuvwxyz0123456789_");
    EXPECT_TRUE(removeCharacters("player_42", allowed).empty());
    EXPECT_FALSE(removeCharacters("player 42", allowed).empty());
    EXPECT_FALSE(removeCharacters("pl\xC3\xA4yer", allowed).empty());
}

TEST(StringOpsTest, CaseMappingCoversNonAsciiNames) {
    struct Case {
        std::string lower, upper;
    };
    const Case cases[] = {
        {"hello world 123", "HELLO WORLD 123"},
        {"\xC3\xA4\xC3\xB6\xC3\xBC", "\xC3\x84\xC3\x96\xC3\x9C"}, // äöü / ÄÖÜ
        {"\xCE\xB1\xCE\xB2\xCE\xB3", "\xCE\x91\xCE\x92\xCE\x93"}, // αβγ / ΑΒΓ
        {"\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
         "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2"}, // привет
        {"\xC3\xA9l\xC3\xA8ve", "\xC3\x89L\xC3\x88VE"},       // élève
        {"\xF0\x9F\x98\x80 42", "\xF0\x9F\x98\x80 42"},       // no case
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lowercase(c.upper), c.lower);
        EXPECT_EQ(uppercase(c.lower), c.upper);
        EXPECT_EQ(caseInsensitiveCompare(c.lower, c.upper), 0) << c.lower;
    }
    EXPECT_EQ(uppercase("stra\xC3\x9F"
                        "e"),
              "STRA\xC3\x9F"
              "E"); // one code point maps to one
    EXPECT_EQ(lowercase("A\xFF"), "a\xEF\xBF\xBD");

    struct Order {
        std::string a, b;
        int expected;
    };
    const Order orders[] = {
        {"apple", "Banana", -1},
        {"b", "A", 1},
        {"a", "ab", -1},
        {"", "", 0},
        {"ABC", "abd", -1},
        // The final sigma folds like the other sigmas: ΟΔΥΣΣΕΥΣ vs οδυσσευς.
        {"\xCE\x9F\xCE\x94\xCE\xA5\xCE\xA3\xCE\xA3\xCE\x95\xCE\xA5\xCE\xA3",
         "\xCE\xBF\xCE\xB4\xCF\x85\xCF\x83\xCF\x83\xCE\xB5\xCF\x85\xCF\x82", 0},
        {"\xC3\x84pfel", "\xC3\xA4pfel", 0},
        {"zebra", "\xC3\xA4pfel", -1},
        // UTF-16 order: the emoji (D83D ...) sorts before a fullwidth letter (FF5A).
        {"\xF0\x9F\x98\x80", "\xEF\xBD\x9A", -1},
    };
    for (const auto& o : orders) {
        EXPECT_EQ(caseInsensitiveCompare(o.a, o.b), o.expected) << o.a << " vs " << o.b;
        EXPECT_EQ(caseInsensitiveCompare(o.b, o.a), -o.expected) << o.b << " vs " << o.a;
    }
}

TEST(StringOpsTest, StableHashIsFnv1aOverLittleEndianUtf16Units) {
    // Reference values computed independently with FNV-1a 32 over the UTF-16LE bytes of the text.
    EXPECT_EQ(stableHash32(""), 0x811C9DC5u);
    EXPECT_EQ(stableHash32("a"), 0x2B24D044u);
    EXPECT_EQ(stableHash32("\xF0\x9F\x98\x80"), 0xB34A1DAAu);
    EXPECT_EQ(stableHash32("Zelvan"), 0x2D48A257u);
    EXPECT_NE(stableHash32("ab"), stableHash32("ba"));
    EXPECT_EQ(stableHash32("\xFF"), stableHash32("\xEF\xBF\xBD")); // ill-formed bytes hash as U+FFFD
}

} // namespace
} // namespace fnd
