// UTF-16 counting, unit access, cutting (including cuts through surrogate pairs), conversion and search.
#include <gtest/gtest.h>

#include "platform/foundation/encodings.h"
#include "platform/foundation/utf16.h"

namespace fnd {
namespace {

const std::string kGrin = "\xF0\x9F\x98\x80"; // U+1F600, UTF-16 D83D DE00
const std::string kFffd = "\xEF\xBF\xBD";     // U+FFFD

TEST(Utf16Test, LengthAndCharAtCountUtf16Units) {
    struct Case {
        std::string text;
        size_t length;
    };
    const Case cases[] = {
        {"", 0},
        {"abc", 3},
        {"a fairly long ASCII chat line", 29},
        {"\xC3\xA9", 1},                              // é
        {"\xE2\x82\xAC", 1},                          // €
        {kGrin, 2},                                   // one character, two units
        {"long ASCII before the emoji " + kGrin, 30}, // past the eight-byte ASCII scan
        {"\xC3", 1},                                  // truncated: one U+FFFD
        {"\xE2\x82", 1},                              // truncated three-byte sequence: one U+FFFD
        {"\xF0\x9F\x98", 1},
        {"\xFF\xFE", 2},
        {"\xED\xA0\x80", 3}, // an encoded surrogate is three ill-formed bytes
        {"\xC0\xAF", 2},     // overlong
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf16Length(c.text), c.length) << c.text;
        EXPECT_EQ(toUtf16(c.text).size(), c.length) << c.text;
    }

    const std::string s = "a" + kGrin + "b\xC3\xA9";
    const char16_t units[] = {u'a', 0xD83D, 0xDE00, u'b', 0xE9};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(utf16CharAt(s, i), units[i]) << i;
    }
    EXPECT_EQ(utf16CharAt(s, 5), 0);
    EXPECT_EQ(utf16CharAt(s, SIZE_MAX), 0);
    EXPECT_EQ(utf16CharAt("", 0), 0);
    EXPECT_EQ(utf16CharAt("hello world", 10), u'd');
    EXPECT_EQ(utf16CharAt("x\xFFy", 1), 0xFFFD);
    EXPECT_EQ(utf16CharAt("x\xFFy", 2), u'y');
}

TEST(Utf16Test, SubstringCutsThroughSurrogatePairs) {
    const std::string s = kGrin + "ab" + kGrin; // units: D83D DE00 a b D83D DE00
    struct Case {
        Range range;
        std::string replaced; // utf16Substring
        std::string safe;     // utf16SubstringSafe
    };
    const Case cases[] = {
        {{0, 2}, kGrin, kGrin},
        {{0, 1}, kFffd, ""},
        {{1, 1}, kFffd, ""},
        {{1, 2}, kFffd + "a", "a"},
        {{1, 4}, kFffd + "ab" + kFffd, "ab"},
        {{2, 2}, "ab", "ab"},
        {{3, 2}, "b" + kFffd, "b"},
        {{5, 10}, kFffd, ""},
        {{0, 6}, s, s},
        {{0, SIZE_MAX}, s, s},
        {{3, SIZE_MAX}, "b" + kGrin, "b" + kGrin},
        {{6, 1}, "", ""},
        {{100, 5}, "", ""},
        {{SIZE_MAX, SIZE_MAX}, "", ""},
        {{2, 0}, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf16Substring(s, c.range), c.replaced) << c.range.location << "+" << c.range.length;
        EXPECT_EQ(utf16SubstringSafe(s, c.range), c.safe) << c.range.location << "+" << c.range.length;
    }
    EXPECT_EQ(utf16SubstringFrom(s, 1), kFffd + "ab" + kGrin);
    EXPECT_EQ(utf16SubstringFrom(s, 2), "ab" + kGrin);
    EXPECT_EQ(utf16SubstringFrom(s, 7), "");
    EXPECT_EQ(utf16SubstringFrom("0123456789", 4), "456789");
    EXPECT_EQ(utf16Substring("a\xFF"
                             "b",
                             Range{0, 3}),
              "a" + kFffd + "b");
}

TEST(Utf16Test, EveryCutIsValidUtf8WithTheRequestedLength) {
    const std::string s = "x" + kGrin + "\xC3\xA9 \xE2\x82\xAC" + kGrin + "\xFFz";
    const size_t total = utf16Length(s);
    ASSERT_EQ(total, 10u);
    const std::u16string units = toUtf16(s);
    for (size_t loc = 0; loc <= total + 1; ++loc) {
        for (size_t len = 0; len <= total + 1; ++len) {
            const size_t expected = loc >= total ? 0 : std::min(len, total - loc);
            const std::string cut = utf16Substring(s, Range{loc, len});
            EXPECT_TRUE(isValidUtf8(cut));
            EXPECT_EQ(utf16Length(cut), expected) << loc << "+" << len;
            const std::string safe = utf16SubstringSafe(s, Range{loc, len});
            EXPECT_TRUE(isValidUtf8(safe));
            EXPECT_LE(utf16Length(safe), expected);
            EXPECT_NE(units.find(toUtf16(safe)), std::u16string::npos) << loc << "+" << len;
        }
    }
}

TEST(Utf16Test, ConvertsBetweenUtf8AndUtf16) {
    const std::string s = "Zelvan \xC3\xA4\xCE\xB1\xD0\xB6 " + kGrin;
    EXPECT_EQ(toUtf16(s), u"Zelvan \u00E4\u03B1\u0436 \U0001F600");
    EXPECT_EQ(fromUtf16(toUtf16(s)), s);
    EXPECT_EQ(toUtf16("\xC3\x28"), u"\uFFFD(");

    struct Case {
        std::u16string units;
        std::string text;
    };
    const Case cases[] = {
        {u"", ""},
        {std::u16string{0xD83D}, kFffd},                         // lone high surrogate at the end
        {std::u16string{u'a', 0xDE00, u'b'}, "a" + kFffd + "b"}, // lone low surrogate
        {std::u16string{0xDE00, 0xD83D}, kFffd + kFffd},         // pair in the wrong order
        {std::u16string{0xD83D, 0xD83D, 0xDE00}, kFffd + kGrin}, // high, then a full pair
        {std::u16string{0xFFFF, 0x0800, 0x007F}, "\xEF\xBF\xBF\xE0\xA0\x80\x7F"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fromUtf16(c.units), c.text);
    }
}

TEST(Utf16Test, RangeOfStringSearchesInUtf16Units) {
    // Units: "Hello " 0-5, "wörld" 6-10, ", " 11-12, "hello" 13-17, " " 18, emoji 19-20, " " 21, "WÖRLD" 22-26.
    const std::string s = "Hello w\xC3\xB6rld, hello " + kGrin + " W\xC3\x96RLD";
    const Options ci = Options::CaseInsensitive;
    struct Case {
        std::string needle;
        Options options;
        Range within;
        Range expected;
    };
    const Range all{0, kNotFound};
    const Case cases[] = {
        {"hello", Options::None, all, {13, 5}},
        {"hello", ci, all, {0, 5}},
        {"hello", ci | Options::Backwards, all, {13, 5}},
        {"Hello", Options::Literal, all, {0, 5}},
        {"w\xC3\xB6rld", ci | Options::Backwards, all, {22, 5}},
        {"W\xC3\x96RLD", Options::None, all, {22, 5}},
        {"w\xC3\x96rld", Options::None, all, Range::notFound()},
        {kGrin, Options::None, all, {19, 2}},
        {kGrin + " w", ci, all, {19, 4}},
        {"hello", ci, {1, 12}, Range::notFound()},
        {"hello", ci, {13, 5}, {13, 5}},
        {"hello", ci, {13, 4}, Range::notFound()},
        {"o", Options::Backwards, {0, 13}, {4, 1}},         // "ö" is not "o"
        {kGrin, Options::None, {20, 5}, Range::notFound()}, // range starts inside the pair
        {"", Options::None, all, Range::notFound()},
        {"hello", Options::None, {500, 3}, Range::notFound()},
        {"missing", ci, all, Range::notFound()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rangeOfString(s, c.needle, c.options, c.within), c.expected) << c.needle;
    }
    // Greek with a final sigma and Cyrillic, ignoring case.
    EXPECT_EQ(rangeOfString("\xCE\x9F\xCE\x94\xCE\xA5\xCE\xA3\xCE\xA3\xCE\x95\xCE\xA5\xCE\xA3",
                            "\xCF\x83\xCE\xB5\xCF\x85\xCF\x82", ci),
              (Range{4, 4}));
    EXPECT_EQ(rangeOfString("\xD0\x9C\xD0\x98\xD0\xA0", "\xD0\xB8\xD1\x80", ci), (Range{1, 2}));
}

} // namespace
} // namespace fnd
