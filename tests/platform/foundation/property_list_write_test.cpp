// The XML property-list writer: every kind of value reads back as it was written, text that needs
// escaping survives, and values a property list cannot hold are refused with a log line.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/foundation/object.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/testing/log_capture.h"

namespace fnd {
namespace {

std::optional<Value> roundTrip(const Value& v) {
    auto text = PropertyList::write(v);
    if (!text) {
        return std::nullopt;
    }
    auto read = PropertyList::read(*text);
    if (!read) {
        return std::nullopt;
    }
    return std::move(read).value();
}

TEST(PropertyListWriteTest, EveryKindReadsBackUnchanged) {
    Bytes big(1000);
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<uint8_t>(i * 7);
    }
    const Value cases[] = {
        Value(true),
        Value(false),
        Value(0),
        Value(INT64_MIN),
        Value(INT64_MAX),
        Value(0.1),
        Value(-2.5e-300),
        Value(7.0),
        Value(std::numeric_limits<double>::infinity()),
        Value(-std::numeric_limits<double>::infinity()),
        Value(""),
        Value("  spaced out  "),
        Value("<tag attr=\"x\"> & 'quotes' ]]> &amp;"),
        Value("caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"), // é, CJK and an emoji
        Value("tab\there\nline feed\r\ncarriage return\r"),
        Value(Bytes{}),
        Value(Bytes{0x00, 0xff, 0x10}),
        Value(big),
        Value(Date::fromUnix(0)),
        Value(Date::fromReference(0)),
        Value(Date::fromUnix(1330518615.5)),   // a leap day with half a second
        Value(Date::fromUnix(-1e9)),           // before 1970
        Value(Date::fromUnix(-62167219200.0)), // 0000-01-01, the first date the reader takes
        Value(Date::fromUnix(253402300799.0)), // 9999-12-31T23:59:59
        Value(Date::fromUnix(253402300800.5)), // its leap second, which the reader also takes
        Value::array(),
        Value::dictionary(),
        Value::array({1, "two", Value::array(), Value::dictionary(), Value::array({Value::array({3.5})})}),
        Value::dictionary({{"name", "Ann"},
                           {"", "empty key"},
                           {"k<&>\r", Value::dictionary({{"inner", Value::array({true, Bytes{1}})}})},
                           {"\xC3\xA9t\xC3\xA9", Date::fromUnix(86400)}}),
    };
    for (const Value& v : cases) {
        SCOPED_TRACE(v.description());
        auto back = roundTrip(v);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->kind(), v.kind());
        EXPECT_EQ(*back, v);
    }

    // Dictionaries keep their order; NaN reads back as NaN.
    auto ordered = roundTrip(Value::dictionary({{"z", 1}, {"a", 2}, {"m", 3}}));
    ASSERT_TRUE(ordered);
    auto keys = ordered->asDictionary()->allKeys();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].stringKey() + keys[1].stringKey() + keys[2].stringKey(), "zam");
    auto nan = roundTrip(Value(std::nan("")));
    ASSERT_TRUE(nan && nan->isDouble());
    EXPECT_TRUE(std::isnan(*nan->asDouble()));

    // Decimals become integers when they are whole 64-bit numbers, reals otherwise.
    EXPECT_EQ(roundTrip(Value::decimal("-12345678901234"))->asInt(), -12345678901234);
    EXPECT_EQ(roundTrip(Value::decimal("0.99"))->asDouble(), 0.99);

    // Fractions of a second keep microseconds.
    Date when = Date::fromReference(123456789.123456);
    auto date = roundTrip(Value(when));
    ASSERT_TRUE(date && date->isDate());
    EXPECT_NEAR(date->asDate()->sinceReferenceDate(), when.sinceReferenceDate(), 1e-6);
}

TEST(PropertyListWriteTest, WritesAReadableDocument) {
    auto text = PropertyList::write(Value::dictionary({{"a&b", Value::array({1, "x<y"})}, {"e", Value::array()}}));
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<plist version=\"1.0\">\n"
                     "<dict>\n"
                     "\t<key>a&amp;b</key>\n"
                     "\t<array>\n"
                     "\t\t<integer>1</integer>\n"
                     "\t\t<string>x&lt;y</string>\n"
                     "\t</array>\n"
                     "\t<key>e</key>\n"
                     "\t<array/>\n"
                     "</dict>\n"
                     "</plist>\n");
}

TEST(PropertyListWriteTest, RefusesWhatAPropertyListCannotHold) {
    struct Card : Object {
        std::string className() const override { return "Card"; }
    };
    auto selfHolding = Value::array({1});
    selfHolding.asArray()->addObject(selfHolding);
    Value deep = Value::array();
    for (int i = 0; i < PropertyList::kMaxDepth; ++i) {
        deep = Value::array({deep});
    }
    struct Case {
        const char* what;
        Value value;
        const char* logged;
    };
    const Case cases[] = {
        {"null", Value(), "a null value at the top level"},
        {"null in an array", Value::array({1, Value()}), "a null value at /1"},
        {"object", Value::dictionary({{"card", std::make_shared<Card>()}}), "an object (Card) at /card"},
        {"integer key", Value::dictionary({{7, "seven"}}), "an integer dictionary key at /7"},
        {"control character", Value("bell\x07"), "U+0007"},
        {"NUL", Value(std::string("a\0b", 3)), "U+0000"},
        {"control character in a key", Value::dictionary({{"k\x1b", 1}}), "U+001B"},
        {"not UTF-8", Value("\xC3\x28"), "not UTF-8"},
        {"U+FFFE", Value("\xEF\xBF\xBE"), "U+FFFE"},
        {"date after 9999", Value(Date::fromUnix(253402300801.0)), "outside the years"},
        {"date before year 0", Value(Date::fromUnix(-62167219200.5)), "outside the years"},
        {"infinite date", Value(Date(std::numeric_limits<double>::infinity())), "outside the years"},
        {"container holding itself", selfHolding, "nesting deeper"},
        {"too deep", deep, "nesting deeper"},
        {"too large", Value(std::string(PropertyList::kMaxBytes, 'x')), "bytes (limit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::LogCapture log;
        EXPECT_FALSE(PropertyList::write(c.value));
        EXPECT_TRUE(log.contains("PropertyList: cannot write")) << (log.lines().empty() ? "" : log.lines()[0]);
        EXPECT_TRUE(log.contains(c.logged)) << (log.lines().empty() ? "" : log.lines()[0]);
    }
    selfHolding.asArray()->removeAllObjects(); // break the cycle so the array can be freed

    // One level less than the limit is fine.
    Value deepest = Value::array();
    for (int i = 0; i < PropertyList::kMaxDepth - 1; ++i) {
        deepest = Value::array({deepest});
    }
    EXPECT_TRUE(roundTrip(deepest));
}

} // namespace
} // namespace fnd
