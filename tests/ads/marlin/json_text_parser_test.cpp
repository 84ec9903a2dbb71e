// The interstitial client's JSON reader and writer: every error text at its offset, the accepted edge
// cases, literal decimals, surrogate pairs, invalid UTF-8, the nesting limit and the writer's forms.
#include <gtest/gtest.h>

#include <string>

#include "ads/marlin/json.h"
#include "ads/marlin/json_text_parser.h"
#include "platform/foundation/parse_error.h"

namespace zelvan::marlin {
namespace {

TEST(JsonTextParserTest, RefusalsNameTheFaultAndWhereScanningStopped) {
    struct Case {
        std::string text;
        bool allowScalar;
        std::string reason;
        size_t offset;
        int64_t code;
    };
    const Case cases[] = {
        {"", true, "EEOF: Unexpected end of string", 0, fnd::kParseTruncated},
        {"[1,]", false, "ETRAILCOMMA: Trailing comma disallowed in array", 3, fnd::kParseMalformed},
        {"{\"a\":1 ,}", false, "ETRAILCOMMA: Trailing comma disallowed in object", 8, fnd::kParseMalformed},
        {"[1", false, "EEOF: End of input while parsing array", 2, fnd::kParseTruncated},
        {"{\"a\":1", false, "EEOF: End of input while parsing object", 6, fnd::kParseTruncated},
        {"[\"ab", false, "EEOF: Unexpected EOF while parsing string", 4, fnd::kParseTruncated},
        {"[-]", false, "EPARSENUM: No digits after initial minus", 2, fnd::kParseMalformed},
        {"[012]", false, "EPARSENUM: Leading 0 disallowed in number", 2, fnd::kParseMalformed},
        {"[1.]", false, "EPARSENUM: No digits after decimal point", 3, fnd::kParseMalformed},
        {"[1e+]", false, "EPARSENUM: No digits after exponent", 4, fnd::kParseMalformed},
        {"+1", true, "EPARSENUM: Leading + disallowed in number", 0, fnd::kParseMalformed},
        {"[1e400]", false, "EPARSENUM: Failed creating decimal instance", 1, fnd::kParseMalformed},
        {"[tru]", false, "EPARSE: Expected 'true'", 1, fnd::kParseMalformed},
        {"[fals]", false, "EPARSE: Expected 'false'", 1, fnd::kParseMalformed},
        {" nul", true, "EPARSE: Expected 'null'", 1, fnd::kParseMalformed},
        {"[x]", false, "EPARSE: Expected value while parsing array", 1, fnd::kParseMalformed},
        {"x", true, "EPARSE: Unrecognised leading character", 0, fnd::kParseMalformed},
        {"{1:2}", false, "EPARSE: Object key string expected", 1, fnd::kParseMalformed},
        {"{\"a\" 1}", false, "EPARSE: Expected ':' separating key and value", 5, fnd::kParseMalformed},
        {"{\"ab\":}", false, "EPARSE: Object value expected for key: ab", 6, fnd::kParseMalformed},
        {"{\"a\":1 \"b\":2}", false, "EPARSE: Expected ',' or '}' after object value", 7, fnd::kParseMalformed},
        {"[1 2]", false, "EPARSE: Expected ',' or ']' after array value", 3, fnd::kParseMalformed},
        {"[\"\\q\"]", false, "EESCAPE: Illegal escape sequence '0x71'", 3, fnd::kParseMalformed},
        {"[\"a\tb\"]", false, "ECTRL: Unescaped control character '0x9'", 3, fnd::kParseMalformed},
        {"[\"\\u12g4\"]", false, "EUNICODE: Missing hex quad", 6, fnd::kParseMalformed},
        {"[\"\\udc00\"]", false, "EUNICODE: Invalid high character in surrogate pair", 4, fnd::kParseMalformed},
        {"[\"\\ud800x\"]", false, "EUNICODE: Missing low character in surrogate pair", 8, fnd::kParseMalformed},
        {"[\"\\ud800\\u0041\"]", false, "EUNICODE: Invalid low surrogate char", 10, fnd::kParseMalformed},
        {"[\"a\xC3(\"]", false, "EUTF8: Invalid UTF-8 in string", 3, fnd::kParseBadEncoding},
        {"[\"\xED\xA0\x80\"]", false, "EUTF8: Invalid UTF-8 in string", 2, fnd::kParseBadEncoding},
        {"[\"\xE2\x82\"]", false, "EUTF8: Invalid UTF-8 in string", 2, fnd::kParseBadEncoding},
        {"[1] x", false, "ETRAILGARBAGE: Garbage after JSON", 4, fnd::kParseTrailingBytes},
        {"true", false, "EFRAGMENT: Valid fragment, but not JSON", 0, fnd::kParseMalformed},
    };
    for (const Case& c : cases) {
        JsonTextParser parser;
        auto result = parser.objectWithString(c.text, c.allowScalar);
        ASSERT_FALSE(result.ok()) << c.text;
        EXPECT_EQ(result.error().localizedFailureReason(), c.reason) << c.text;
        EXPECT_EQ(fnd::parseErrorOffset(result.error()), c.offset) << c.text;
        EXPECT_EQ(result.error().code(), c.code) << c.text;
    }
}

TEST(JsonTextParserTest, AcceptedTextsAndTheirValues) {
    JsonTextParser parser;
    auto doc = parser.objectWithString(
        " {\"n\":-12.5e+3, \"e\":[], \"o\":{}, \"s\":\"a\\u0062c\", \"k\":1, \"k\":2,"
        " \"astral\":\"\\ud83d\\ude00\", \"esc\":\"\\\"\\\\\\/\\b\\f\\n\\r\\t\", \"t\":true, \"z\":null} \v\f\r\n",
        false);
    ASSERT_TRUE(doc.ok()) << doc.error().description();
    auto d = doc->asDictionary();
    ASSERT_TRUE(d->objectForKey("n").isDecimal());
    EXPECT_EQ(*d->objectForKey("n").asDecimal(), "-12.5e+3"); // the literal, not a rounded double
    EXPECT_EQ(d->objectForKey("e").asArray()->count(), 0U);
    EXPECT_EQ(d->objectForKey("o").asDictionary()->count(), 0U);
    EXPECT_EQ(*d->objectForKey("s").asString(), "abc");
    EXPECT_EQ(d->objectForKey("k"), fnd::Value(2));                       // the later duplicate wins
    EXPECT_EQ(*d->objectForKey("astral").asString(), "\xF0\x9F\x98\x80"); // the whole code point
    EXPECT_EQ(*d->objectForKey("esc").asString(), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(d->objectForKey("t"), fnd::Value(true));
    EXPECT_TRUE(d->find("z") != nullptr && d->find("z")->isNull());
    std::vector<std::string> keys;
    for (const auto& [key, value] : *d) {
        keys.push_back(key.stringKey());
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"n", "e", "o", "s", "k", "astral", "esc", "t", "z"}));

    // A NUL byte ends the text; scalars only where allowed.
    EXPECT_TRUE(parser.objectWithString(std::string("[1]\0garbage", 11), false).ok());
    EXPECT_EQ(*parser.objectWithString("true", true), fnd::Value(true));
    EXPECT_EQ(*parser.objectWithString("\"caf\xC3\xA9\"", true)->asString(), "caf\xC3\xA9");
}

TEST(JsonTextParserTest, NestingStopsAtTheLimit) {
    JsonTextParser parser;
    EXPECT_EQ(parser.maxDepth(), 512U);
    std::string ok = std::string(512, '[') + std::string(512, ']');
    EXPECT_TRUE(parser.objectWithString(ok, false).ok());
    std::string deep = std::string(513, '[') + std::string(513, ']');
    auto refused = parser.objectWithString(deep, false);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().localizedFailureReason(), "EDEPTH: Nested too deep");
    EXPECT_EQ(fnd::parseErrorOffset(refused.error()), 512U);
    // Far deeper texts fail the same way instead of running out of stack, even after asking for more.
    parser.setMaxDepth(1'000'000);
    EXPECT_FALSE(parser.objectWithString(std::string(200'000, '{'), false).ok());
    parser.setMaxDepth(2);
    EXPECT_FALSE(parser.objectWithString("[[[]]]", false).ok());
    EXPECT_TRUE(parser.objectWithString("[[]]", false).ok());
}

TEST(JsonWriterTest, WritesQuotedKeysEscapesAndNullForWhatJsonCannotHold) {
    EXPECT_EQ(JSON::stringWithObject(fnd::Value::dictionary({{"applicationID", 5}})), "{\"applicationID\":5}");
    EXPECT_EQ(JSON::stringByEscapingCharacters("a\tb"), "a\\tb");
    EXPECT_EQ(JSON::stringByEscapingCharacters("q\"\\\b\f\n\r\x01"), "q\\\"\\\\\\b\\f\\n\\r\\u0001");
    EXPECT_EQ(JSON::stringByUnescapingCharacters("q\\\"\\\\\\b\\f\\n\\r\\t\\u0001\\/"), "q\"\\\b\f\n\r\t\\u0001\\/");

    JSON writer;
    EXPECT_TRUE(
        writer.addObject(fnd::Value::array({true, false, 1.5, fnd::Value::decimal("-2e3"), fnd::Value(), "x"})));
    EXPECT_EQ(writer.string(), "[1,0,1.5,-2e3,null,\"x\"]");
    JSON data;
    EXPECT_FALSE(data.addObject(fnd::Value::array({fnd::Bytes{1, 2}, 3})));
    EXPECT_EQ(data.string(), "[null,3]");
    JSON intKey;
    EXPECT_FALSE(intKey.addObject(fnd::Value::dictionary({{7, "seven"}})));
    EXPECT_EQ(intKey.string(), "{\"7\":\"seven\"}");

    // The reader front takes scalars and gives none for bad text.
    EXPECT_EQ(*JSON::objectWithString("12"), fnd::Value(12));
    EXPECT_FALSE(JSON::objectWithString("[1,").has_value());
}

} // namespace
} // namespace zelvan::marlin
