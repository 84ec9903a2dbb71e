// Percent escaping and unescaping character by character, hostile escapes, and JavaScript and HTML
// escaping of spliced text.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/foundation/escape.h"

namespace fnd {
namespace {

std::string percent(unsigned char b) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%%%02X", b);
    return buf;
}

const std::string kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

TEST(EscapeTest, PercentEscapeTablesCharacterByCharacter) {
    const std::string legacyKept = kLetters + "-_.!~*'();/?:@&=+$,#";
    const std::string unreservedKept = kLetters + "-._~";
    for (int i = 0; i < 256; ++i) {
        const auto b = static_cast<unsigned char>(i);
        const std::string one(1, static_cast<char>(b));
        const bool legacy = b != 0 && legacyKept.find(static_cast<char>(b)) != std::string::npos;
        const bool unreserved = b != 0 && unreservedKept.find(static_cast<char>(b)) != std::string::npos;
        EXPECT_EQ(escapeLegacy(one), legacy ? one : percent(b)) << i;
        EXPECT_EQ(escapeUnreserved(one), unreserved ? one : percent(b)) << i;
    }
    // The ones people get wrong, spelled out.
    EXPECT_EQ(escapeLegacy(" \"%<>[]\\^`{|}"), "%20%22%25%3C%3E%5B%5D%5C%5E%60%7B%7C%7D");
    EXPECT_EQ(escapeLegacy("a b?c=d&e#f"), "a%20b?c=d&e#f");
    EXPECT_EQ(escapeLegacy("caf\xC3\xA9 \xF0\x9F\x98\x80"), "caf%C3%A9%20%F0%9F%98%80");
    EXPECT_EQ(escapeLegacy(std::string("\0\x7F", 2)), "%00%7F");
    EXPECT_EQ(escapeUnreserved("a b&c=d/\xC3\xA9+"), "a%20b%26c%3Dd%2F%C3%A9%2B");

    EXPECT_EQ(escapeLegacyPlus("a&b=c+d/e", "&=+"), "a%26b%3Dc%2Bd/e");
    EXPECT_EQ(escapeLegacyPlus("a&b", ""), "a&b");
    EXPECT_EQ(escapeLegacyPlus("x y", "x"), "%78%20y");
    EXPECT_EQ(escapeLegacyPlus("{\"a\":1 }#", " #", "\"{}"), "{\"a\":1%20}%23");
    EXPECT_EQ(escapeLegacyPlus("{x}", "{", "{}"), "%7Bx}");
}

TEST(EscapeTest, UnescapeRejectsHostileEscapes) {
    struct Case {
        std::string input;
        std::optional<std::string> strict;
        std::string lenient;
    };
    const Case cases[] = {
        {"%41%42c", "ABc", "ABc"},
        {"a%2fb%2Fc", "a/b/c", "a/b/c"},
        {"a+b", "a+b", "a+b"},
        {"%C3%A9%c3%a9", "\xC3\xA9\xC3\xA9", "\xC3\xA9\xC3\xA9"},
        {"%F0%9F%98%80", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"%00", std::string(1, '\0'), std::string(1, '\0')},
        {"", "", ""},
        {"%", std::nullopt, "%"},
        {"%4", std::nullopt, "%4"},
        {"%zz", std::nullopt, "%zz"},
        {"%4g", std::nullopt, "%4g"},
        {"100%", std::nullopt, "100%"},
        {"100% sure%21", std::nullopt, "100% sure!"},
        {"%%41", std::nullopt, "%A"},
        {"%c3", std::nullopt, "\xEF\xBF\xBD"}, // half a character
        {"%c3x", std::nullopt, "\xEF\xBF\xBDx"},
        {"%ED%A0%80", std::nullopt, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}, // an encoded surrogate
        {"%C0%AF", std::nullopt, "\xEF\xBF\xBD\xEF\xBF\xBD"},                // overlong "/"
        {"\xFF", std::nullopt, "\xEF\xBF\xBD"},                              // raw ill-formed byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unescape(c.input), c.strict) << c.input;
        EXPECT_EQ(unescapeLenient(c.input), c.lenient) << c.input;
    }

    const std::string samples[] = {
        "", "plain", "a b&c=d#e?f/g%h+i", "caf\xC3\xA9 \xF0\x9F\x98\x80", std::string("nul\0byte", 8), "100%"};
    for (const auto& s : samples) {
        EXPECT_EQ(unescape(escapeUnreserved(s)), s);
        EXPECT_EQ(unescape(escapeLegacy(s)), s);
        EXPECT_EQ(unescapeLenient(escapeLegacyPlus(s, "&=")), s);
    }
}

TEST(EscapeTest, JavaScriptAndHtmlEscaping) {
    struct Case {
        std::string input, js, html;
    };
    const Case cases[] = {
        {"plain text", "plain text", "plain text"},
        {"back\\slash", "back\\\\slash", "back\\slash"},
        {"it's", "it\\'s", "it&#39;s"},
        {"say \"hi\"", "say \\\"hi\\\"", "say &quot;hi&quot;"},
        {"a\nb\rc\td", "a\\nb\\rc\\td", "a\nb\rc\td"},
        {"</script><script>", "<\\/script><script>", "&lt;/script&gt;&lt;script&gt;"},
        {"a/b < c/d", "a/b < c/d", "a/b &lt; c/d"},
        {"x & y", "x & y", "x &amp; y"},
        {std::string("\0\x01\x08\x0B\x0C\x1F\x7F", 7), "\\u0000\\u0001\\u0008\\u000B\\u000C\\u001F\\u007F",
         std::string("\0\x01\x08\x0B\x0C\x1F\x7F", 7)},
        {"\xC2\x85", "\\u0085", "\xC2\x85"}, // C1 control
        {"line\xE2\x80\xA8para\xE2\x80\xA9", "line\\u2028para\\u2029", "line\xE2\x80\xA8para\xE2\x80\xA9"},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
        {"bad\xFF", "bad\xEF\xBF\xBD", "bad\xEF\xBF\xBD"},
        {"&amp;", "&amp;", "&amp;amp;"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(jsEscape(c.input), c.js) << c.input;
        EXPECT_EQ(htmlEscape(c.input), c.html) << c.input;
    }
}

} // namespace
} // namespace fnd
