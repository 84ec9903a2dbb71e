// The scalar rules on text: leading integers, decimal prefixes and truth values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/foundation/scalar.h"

namespace fnd {
namespace {

TEST(ScalarTest, IntegersTakeTheLeadingDigitsAndSaturate) {
    struct Case {
        const char* text;
        int32_t asInt;
        int64_t asLongLong;
    };
    const Case cases[] = {
        {"42", 42, 42},
        {"  \t\n-17abc", -17, -17},
        {"+8", 8, 8},
        {"12.9", 12, 12},
        {"", 0, 0},
        {"abc", 0, 0},
        {"- 5", 0, 0},
        {"0x1F", 0, 0},
        {"2147483647", INT32_MAX, 2147483647},
        {"2147483648", INT32_MAX, 2147483648LL},
        {"-2147483649", INT32_MIN, -2147483649LL},
        {"99999999999999999999999", INT32_MAX, INT64_MAX},
        {"-9223372036854775808", INT32_MIN, INT64_MIN},
        {"-9223372036854775809", INT32_MIN, INT64_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(intValue(c.text), c.asInt) << c.text;
        EXPECT_EQ(longLongValue(c.text), c.asLongLong) << c.text;
    }
}

TEST(ScalarTest, DoublesUseTheLongestDecimalPrefixOnly) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"3.25", 3.25}, {"  -1.5e3xyz", -1500.0}, {".5", 0.5},    {"7.", 7.0},  {"1e", 1.0},
        {"1e+", 1.0},   {"2E-2", 0.02},           {"0x1p4", 0.0}, {"inf", 0.0}, {"-infinity", 0.0},
        {"nan", 0.0},   {"NAN(123)", 0.0},        {"", 0.0},      {".", 0.0},   {"-.e5", 0.0},
        {"1,5", 1.0},   {"+12abc", 12.0},         {"\v\f9", 9.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(doubleValue(c.text), c.expected) << c.text;
        EXPECT_FLOAT_EQ(floatValue(c.text), static_cast<float>(c.expected)) << c.text;
    }
    EXPECT_TRUE(std::isinf(doubleValue("1e999")));
}

TEST(ScalarTest, TruthValuesFollowFirstLetterOrDigit) {
    struct Case {
        const char* text;
        bool expected;
    };
    const Case cases[] = {
        {"YES", true}, {"yes", true}, {"true", true}, {" T", true},   {"1", true},      {"-0009", true},
        {"+2", true},  {"0", false},  {"000", false}, {"NO", false},  {"false", false}, {"", false},
        {"  ", false}, {"x1", false}, {"-", false},   {"0.5", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(boolValue(c.text), c.expected) << c.text;
    }
}

} // namespace
} // namespace fnd
