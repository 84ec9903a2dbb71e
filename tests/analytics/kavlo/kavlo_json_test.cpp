// The Kavlo JSON writer: escaping, scalars, key order, the human-readable layout and its errors.
#include "analytics/kavlo/kavlo_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"

namespace zelvan::kavlo {
namespace {

using fnd::Value;

TEST(KavloJSONTest, WritesTextsNumbersAndKeysAsGiven) {
    KavloJSON json;
    EXPECT_EQ(json.maxDepth(), 512u);
    auto record = Value::dictionary({{"t", "a\x01/b\"\\\t\n\r\b\f"},
                                     {"b", true},
                                     {"f", false},
                                     {"n", int64_t{-42}},
                                     {"d", 0.1},
                                     {"u", "\xC3\xA9\xE2\x82\xAC"},
                                     {"z", nullptr},
                                     {"a", Value::array({1, "x", Value::dictionary()})}});
    EXPECT_EQ(json.stringWithObject(record).value(),
              R"({"t":"a\u0001/b\"\\\t\n\r\b\f","b":true,"f":false,"n":-42,"d":0.1,"u":"é€","z":null,)"
              R"("a":[1,"x",{}]})");
    // Ill-formed UTF-8 becomes U+FFFD.
    EXPECT_EQ(json.stringWithFragment(Value("a\xFF")).value(), "\"a\xEF\xBF\xBD\"");
    EXPECT_EQ(json.stringWithFragment(Value(7)).value(), "7");

    json.setSortKeys(true);
    EXPECT_EQ(json.stringWithObject(Value::dictionary({{"b", 1}, {"a", 2}, {"C", 3}})).value(),
              R"({"C":3,"a":2,"b":1})");
}

TEST(KavloJSONTest, HumanReadableLayout) {
    KavloJSON json;
    json.setHumanReadable(true);
    auto value = Value::dictionary(
        {{"a", 1}, {"b", Value::dictionary({{"c", Value::array({1, 2})}})}, {"e", Value::dictionary()}});
    EXPECT_EQ(json.stringWithObject(value).value(),
              "{\n  \"a\" : 1,\n  \"b\" : {\n    \"c\" : [\n    1,\n    2\n    ]\n  },\n  \"e\" : {}\n}");
}

TEST(KavloJSONTest, ErrorsCarryTheirCodesAndTexts) {
    KavloJSON json;
    auto scalar = json.stringWithObject(Value("x"));
    ASSERT_FALSE(scalar.ok());
    EXPECT_EQ(scalar.error().domain(), "KavloJSONErrorDomain");
    EXPECT_EQ(scalar.error().code(), 4);
    EXPECT_EQ(scalar.error().localizedDescription(), "Not valid type for JSON");

    auto intKey = json.stringWithObject(Value::dictionary({{7, 1}}));
    ASSERT_FALSE(intKey.ok());
    EXPECT_EQ(intKey.error().code(), 1);
    EXPECT_EQ(intKey.error().localizedDescription(), "JSON object key must be string");

    auto data = json.stringWithObject(Value::dictionary({{"k", Value(fnd::Bytes{1})}}));
    ASSERT_FALSE(data.ok());
    EXPECT_EQ(data.error().localizedDescription(), "Unsupported value for key k in object");
    auto nan = json.stringWithObject(Value::array({std::numeric_limits<double>::quiet_NaN()}));
    ASSERT_FALSE(nan.ok());
    EXPECT_EQ(nan.error().code(), 1);
    EXPECT_NE(nan.error().localizedDescription().find("JSON serialisation not supported for"), std::string::npos);

    // Nesting deeper than maxDepth is refused rather than exhausting the stack.
    Value deep = Value::array();
    for (int i = 0; i < 600; ++i) {
        deep = Value::array({deep});
    }
    EXPECT_FALSE(json.stringWithObject(deep).ok());
    json.setMaxDepth(1000);
    EXPECT_TRUE(json.stringWithObject(deep).ok());
}

} // namespace
} // namespace zelvan::kavlo
