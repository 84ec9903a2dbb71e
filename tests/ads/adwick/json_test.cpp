// The banner client's JSON scanner, deserializer and serializer: codes, leniency, encodings, escapes,
// numbers and the writer's order.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ads/adwick/json/json_deserializer.h"
#include "ads/adwick/json/json_scanner.h"
#include "ads/adwick/json/json_serializer.h"
#include "core/json_scan.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/parse_error.h"

namespace zelvan::adwick {
namespace {

fnd::Bytes bytes(std::string_view s) {
    return fnd::Bytes(s.begin(), s.end());
}

int64_t scanCode(const fnd::Error& e) {
    return e.userInfo().asDictionary()->objectForKey(jsonscan::kErrorCodeKey).longLongValue();
}

// The failing code of deserialize(text), 1 when it parsed.
int64_t codeOf(std::string_view text) {
    auto r = JSONDeserializer().deserialize(bytes(text));
    return r.ok() ? 1 : scanCode(r.error());
}

TEST(JSONScannerTest, EveryFailureCodeAndMessage) {
    struct Case {
        const char* text;
        int64_t code;
    };
    const Case cases[] = {
        {"{\"a\":1 \"b\":2}", -5},
        {"{1:2}", -2},
        {"{\"a\" 1}", -3},
        {"{\"a\":}", -4},
        {"[1 2]", -9},
        {"[1,@]", -8},
        // Cut off at the end: the failing step's code, replaced by each enclosing container's own.
        {"[\"abc", -8},
        {"[1,", -8},
        {"{\"abc", -2},
        {"{\"a\"", -3},
        {"{\"a\":1", -5},
        {"{\"a\":[1", -4},
        {"'x'", -11},
        {"\"ab", -11},
        {"\"\\uZZ00\"", -12},
        {"\"\\x\"", -13},
        {"[\"\xff\"]", -8},
        {"[1e+5]", -9},
        {"[-]", -8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(codeOf(c.text), c.code) << c.text;
    }
    auto bad = JSONDeserializer().deserialize(bytes("\"\\x\""));
    EXPECT_EQ(bad.error().localizedFailureReason(), "Could not scan string constant. Unknown escape code.");
    EXPECT_EQ(fnd::parseErrorOffset(bad.error()), 2U);

    // The scans that name their own start code, and a failed scan keeps the position.
    JSONScanner scanner(bytes("  x"));
    auto dictionary = scanner.scanJSONDictionary();
    ASSERT_FALSE(dictionary.ok());
    EXPECT_EQ(scanCode(dictionary.error()), -1);
    auto array = scanner.scanJSONArray();
    ASSERT_FALSE(array.ok());
    EXPECT_EQ(scanCode(array.error()), -7);
    EXPECT_EQ(array.error().localizedFailureReason(), "Could not scan array. Array does not start with '[' character.");
    auto number = scanner.scanJSONNumberConstant();
    ASSERT_FALSE(number.ok());
    EXPECT_EQ(scanCode(number.error()), -14);
    EXPECT_EQ(scanner.scanLocation(), 0U);

    auto empty = JSONDeserializer().deserialize({});
    EXPECT_EQ(empty.error().userInfo().asDictionary()->objectForKey(jsonscan::kErrorDomainKey),
              fnd::Value("JSONDeserializerErrorDomain"));
    EXPECT_EQ(scanCode(empty.error()), -1);
}

TEST(JSONScannerTest, LeniencyOrderAndTypes) {
    auto r =
        JSONDeserializer().deserializeAsDictionary(bytes("{\"b\":[1,2,],\"a\":{},\"c\":[],\"b\":true,\"n\":null,}"));
    ASSERT_TRUE(r.ok()) << r.error().description();
    auto dict = r->asDictionary();
    ASSERT_EQ(dict->count(), 4U);
    EXPECT_EQ(dict->entries()[0].first.stringKey(), "b"); // a later equal key replaces, in place
    EXPECT_TRUE(dict->objectForKey("b").isBool());
    EXPECT_NE(dict->objectForKey("b"), fnd::Value(1));
    EXPECT_TRUE(dict->objectForKey("n").isNull());
    EXPECT_EQ(dict->objectForKey("a").asDictionary()->count(), 0U);

    // The leading-space rule; bytes after the value are not looked at.
    EXPECT_FALSE(JSONDeserializer().deserializeAsDictionary(bytes(" {}")).ok());
    EXPECT_TRUE(JSONDeserializer().deserialize(bytes(" {} trailing")).ok());
    // Literals need no delimiter; a misspelt one fails.
    EXPECT_EQ(codeOf("[truex]"), -9);
    EXPECT_EQ(codeOf("[tru]"), -8);
    EXPECT_EQ(codeOf("[true]"), 1);
}

TEST(JSONScannerTest, NumbersEscapesAndEncodings) {
    auto n = JSONDeserializer().deserialize(bytes("[-0, 1.5e2, 7, 1-2]"));
    ASSERT_TRUE(n.ok());
    auto list = n->asArray();
    EXPECT_TRUE(list->objectAtIndex(0).isDouble());
    EXPECT_TRUE(std::signbit(*list->objectAtIndex(0).asDouble()));
    EXPECT_EQ(*list->objectAtIndex(1).asDouble(), 150.0);
    EXPECT_EQ(*list->objectAtIndex(3).asDouble(), 1.0);

    auto s = JSONDeserializer().deserialize(bytes(R"("a\"\/\\\b\f\n\r\t\u00e9\uD83D\uDE00\uD800x")"));
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(*s->asString(), "a\"/\\\b\f\n\r\t\xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBDx");

    const std::string text = "{\"k\":\"\xC3\xA9\"}";
    for (auto order : {fnd::ByteOrder::LittleEndian, fnd::ByteOrder::BigEndian}) {
        for (bool wide : {false, true}) {
            fnd::Bytes data = wide ? fnd::encodeUtf32(text, order) : fnd::encodeUtf16(text, order);
            auto r = JSONDeserializer().deserializeAsDictionary(data);
            ASSERT_TRUE(r.ok());
            EXPECT_EQ(r->asDictionary()->objectForKey("k"), fnd::Value("\xC3\xA9"));
        }
    }
}

TEST(JSONScannerTest, NestingIsCapped) {
    std::string deep(300, '[');
    auto r = JSONDeserializer().deserialize(bytes(deep + std::string(300, ']')));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(scanCode(r.error()), -8);
    EXPECT_EQ(r.error().code(), fnd::kParseTooDeep);
    EXPECT_EQ(r.error().localizedFailureReason(), "containers nested deeper than 256 levels");
    std::string ok(200, '[');
    EXPECT_TRUE(JSONDeserializer().deserialize(bytes(ok + std::string(200, ']'))).ok());
}

TEST(JSONSerializerTest, WritesCompactTextInTableOrder) {
    JSONSerializer writer;
    auto body = fnd::Value::dictionary({{"interactions", fnd::Value::array({fnd::Value("t:1/2\r")})}});
    EXPECT_EQ(*writer.serializeObject(body), "{\"interactions\":[\"t:1\\/2\\r\"]}");
    auto mixed = fnd::Value::array({fnd::Value(true), fnd::Value(false), fnd::Value(1), fnd::Value(0.5), fnd::Value(),
                                    fnd::Value(std::numeric_limits<double>::infinity()), fnd::Value("\\\"\t")});
    EXPECT_EQ(*writer.serializeObject(mixed), "[true,false,1,0.5,null,null,\"\\\\\\\"\\t\"]");
    auto dict = fnd::Value::dictionary({{"z", 1}, {"a", 2}});
    EXPECT_EQ(*writer.serializeDictionary(dict), "{\"z\":1,\"a\":2}");
    EXPECT_EQ(*writer.serializeObject(fnd::Value(std::string("\0\x1f", 2))), "\"\\u0000\\u001f\"");
    // A large number writes back as text the scanner reads to the same value.
    auto big = JSONDeserializer().deserialize(bytes(*writer.serializeObject(fnd::Value(8.5e79))));
    EXPECT_EQ(big->doubleValue(), 8.5e79);
    EXPECT_FALSE(writer.serializeObject(fnd::Value(fnd::Date())).ok());
    EXPECT_FALSE(writer.serializeObject(fnd::Value(fnd::Bytes{0xff})).ok());
    // In a list, an element that yields no text is named by its description; an unsupported one by its type.
    auto noText = writer.serializeObject(fnd::Value::array({fnd::Value(1), fnd::Value(fnd::Bytes{0xff, 0})}));
    ASSERT_FALSE(noText.ok());
    EXPECT_EQ(noText.error().localizedDescription(), "Could not serialize object '<ff00>'");
    auto unsupported = writer.serializeObject(fnd::Value::array({fnd::Value(fnd::Date())}));
    ASSERT_FALSE(unsupported.ok());
    EXPECT_EQ(unsupported.error().localizedDescription(), "Cannot serialize data of type 'Date'");
}

} // namespace
} // namespace zelvan::adwick
