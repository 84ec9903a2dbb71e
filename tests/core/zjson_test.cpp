// The JSON codec: what parses and into which values, what is refused (with the offset of the fault), the
// nesting cap on both sides, and compact writing that reads back to an equal value.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/zjson.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/testing/log_capture.h"

namespace zelvan {
namespace {

using fnd::Value;

std::string nested(int depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

TEST(ZJSONTest, ParsesWellFormedText) {
    struct Case {
        std::string text;
        Value expected;
    };
    const Case cases[] = {
        {"null", Value()},
        {" true ", Value(true)},
        {"-42", Value(-42)},
        {"9223372036854775807", Value(INT64_MAX)},
        {"-9223372036854775808", Value(INT64_MIN)},
        {"9223372036854775808", Value(9223372036854775808.0)},
        {"1.5e2", Value(150.0)},
        {R"("a\"b\\\/\n\u00e9\ud83d\ude00")", Value("a\"b\\/\n\xc3\xa9\xf0\x9f\x98\x80")},
        {R"([1,"x",[],{}])", Value::array({1, "x", Value::array(), Value::dictionary()})},
        {R"({"b":1,"a":{"c":[null]},"b":2})",
         Value::dictionary({{"b", 2}, {"a", Value::dictionary({{"c", Value::array({Value()})}})}})},
    };
    for (const auto& c : cases) {
        const auto value = ZJSON::parse(c.text);
        ASSERT_TRUE(value.ok()) << c.text.substr(0, 40);
        EXPECT_EQ(*value, c.expected) << c.text;
    }
    EXPECT_TRUE(ZJSON::parse(nested(ZJSON::kMaxDepth)).ok());
    EXPECT_TRUE(ZJSON::parse("42")->isInt());
    EXPECT_TRUE(ZJSON::parse("42.0")->isDouble());
    // Keys keep the order of the text.
    const auto dict = ZJSON::parse(R"({"z":1,"a":2})")->asDictionary();
    EXPECT_EQ(dict->allKeys()[0].stringKey(), "z");
}

TEST(ZJSONTest, RefusesIllFormedTextWithAParseError) {
    const std::string refused[] = {
        "",
        "   ",
        "[1,]",
        R"({"a":1,})",
        "// c\n1",
        "/* c */ 1",
        "[1] x",
        "01",
        "'a'",
        "{a:1}",
        "NaN",
        "1e400",
        "\"\xff\"",
        "\"\xc3\"",
        R"("\ud800")",
        "\"tab\there\"",
        "[1",
        "{\"a\"}",
        nested(ZJSON::kMaxDepth + 1),
        std::string(100000, '['),
    };
    for (const auto& text : refused) {
        fnd::testing::LogCapture log;
        const auto parsed = ZJSON::parse(text);
        ASSERT_FALSE(parsed.ok()) << text.substr(0, 40);
        EXPECT_EQ(parsed.error().domain(), fnd::kParseErrorDomain) << text.substr(0, 40);
        EXPECT_LE(fnd::parseErrorOffset(parsed.error()).value_or(text.size() + 1), text.size()) << text.substr(0, 40);
        EXPECT_FALSE(parsed.error().localizedFailureReason().empty()) << text.substr(0, 40);
        EXPECT_TRUE(log.lines().empty()) << text.substr(0, 40); // the caller decides whether to log
    }
}

TEST(ZJSONTest, ErrorsNameTheLineAndOffsetOfTheFault) {
    struct Case {
        std::string text;
        fnd::ParseErrorCode code;
        std::string description;
    };
    const Case cases[] = {
        {"[1,]", fnd::kParseMalformed,
         "syntax error while parsing value - unexpected ']'; expected '[', '{', or a literal at line 1 (offset 3)"},
        {"{\"a\": [1,\n 2", fnd::kParseTruncated,
         "syntax error while parsing array - unexpected end of input; expected ']' at line 2 (offset 12)"},
        {"[0, 1e400]", fnd::kParseMalformed, "number overflow parsing '1e400' at line 1 (offset 4)"},
        {"\n" + nested(ZJSON::kMaxDepth + 1), fnd::kParseTooDeep, "nesting deeper than 256 at line 2 (offset 257)"},
        // A NUL ends nothing: trailing, inside a value or a string, it is refused where it stands.
        {std::string("123\0garbage", 11), fnd::kParseMalformed, "unexpected NUL byte at line 1 (offset 3)"},
        {std::string("[1,\n\0]", 6), fnd::kParseMalformed, "unexpected NUL byte at line 2 (offset 4)"},
        {std::string("\"a\0\"", 4), fnd::kParseMalformed, "unexpected NUL byte at line 1 (offset 2)"},
        {std::string("[1 2\0", 5), fnd::kParseMalformed,
         "syntax error while parsing array - unexpected number literal; expected ']' at line 1 (offset 3)"},
    };
    for (const Case& c : cases) {
        const auto parsed = ZJSON::parse(c.text);
        ASSERT_FALSE(parsed.ok()) << c.text.substr(0, 40);
        EXPECT_EQ(parsed.error().code(), c.code) << c.text.substr(0, 40);
        EXPECT_EQ(parsed.error().localizedDescription(), c.description);
    }
}

TEST(ZJSONTest, WritesCompactTextThatReadsBack) {
    struct Case {
        Value value;
        std::string expected;
    };
    auto intKeys = std::make_shared<fnd::Dictionary>();
    intKeys->setObject("one", fnd::Key(1));
    intKeys->setObject(Value::decimal("12.50"), fnd::Key("price"));
    const Case cases[] = {
        {Value(), "null"},
        {Value(false), "false"},
        {Value(INT64_MIN), "-9223372036854775808"},
        {Value(0.25), "0.25"},
        {Value("q\"\\\n\x01\xc3\xa9"), R"("q\"\\\n\u0001)"
                                       "\xc3\xa9\""},
        {Value::array({1, Value::array(), Value::dictionary()}), "[1,[],{}]"},
        {Value::dictionary({{"z", 1}, {"a", Value::array({true})}}), R"({"z":1,"a":[true]})"},
        {Value(intKeys), R"({"1":"one","price":12.5})"},
    };
    for (const auto& c : cases) {
        const auto text = ZJSON::write(c.value);
        ASSERT_TRUE(text.has_value()) << c.expected;
        EXPECT_EQ(*text, c.expected);
        const auto back = ZJSON::parse(*text);
        ASSERT_TRUE(back.ok());
        if (c.value.asDictionary() != intKeys) { // integer keys read back as strings
            EXPECT_EQ(*back, c.value) << *text;
        }
    }

    // Nesting up to the cap writes; one more level, or a container holding itself, is refused.
    Value deep = Value::array();
    for (int i = 1; i < ZJSON::kMaxDepth; ++i) {
        deep = Value::array({deep});
    }
    EXPECT_EQ(ZJSON::write(deep), nested(ZJSON::kMaxDepth));
    EXPECT_FALSE(ZJSON::write(Value::array({deep})).has_value());
    Value cycle = Value::array();
    cycle.asArray()->addObject(cycle);
    EXPECT_FALSE(ZJSON::write(cycle).has_value());
    cycle.asArray()->removeAllObjects();

    const Value refused[] = {
        Value(fnd::Bytes{1, 2}),
        Value(fnd::Date(0)),
        Value(NAN),
        Value(INFINITY),
        Value("\xff"),
        Value::decimal("1,5"),
        Value::array({Value(fnd::Bytes{})}),
    };
    for (const auto& value : refused) {
        fnd::testing::LogCapture log;
        EXPECT_FALSE(ZJSON::write(value).has_value()) << value.description();
        EXPECT_TRUE(log.contains("JSON write failed")) << value.description();
    }
}

} // namespace
} // namespace zelvan
