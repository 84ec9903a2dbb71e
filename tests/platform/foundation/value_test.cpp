// fnd::Value: sharing of containers, equality against identity, ordered dictionaries with mixed keys,
// the conversions table, descriptions, and the byte and index-path helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>
#include <set>
#include <unordered_set>

#include "platform/foundation/bytes.h"
#include "platform/foundation/index_path.h"
#include "platform/foundation/value.h"

namespace fnd {
namespace {

class Card : public Object {
public:
    std::string className() const override { return "Card"; }
};

TEST(ValueTest, ContainersAreSharedAndDeepCopiesAreNot) {
    Value a = Value::array({1, "two"});
    Value b = a;
    b.asArray()->addObject(3.5);
    EXPECT_EQ(a.asArray()->count(), 3u);
    EXPECT_TRUE(Value::identical(a, b));

    Value d = Value::dictionary({{"list", a}});
    Value copy = d.deepCopy();
    EXPECT_EQ(copy, d);
    EXPECT_FALSE(Value::identical(copy, d));
    a.asArray()->addObject("four");
    EXPECT_NE(copy, d); // the copy kept its own inner array
    EXPECT_EQ(copy.asDictionary()->objectForKey("list").asArray()->count(), 3u);

    Value data(Bytes{1, 2, 3});
    Value sameData = data;
    EXPECT_TRUE(Value::identical(data, sameData));
    EXPECT_FALSE(Value::identical(data, Value(Bytes{1, 2, 3})));
    EXPECT_EQ(data, Value(Bytes{1, 2, 3}));
    EXPECT_FALSE(Value::identical(data, data.deepCopy()));

    auto card = std::make_shared<Card>();
    Value o1(card), o2(card);
    EXPECT_TRUE(Value::identical(o1, o2));
    EXPECT_EQ(o1.asObject<Card>(), card);
    EXPECT_NE(o1, Value(std::make_shared<Card>()));
}

TEST(ValueTest, EqualityComparesNumbersByValueButKeepsBoolsApart) {
    EXPECT_EQ(Value(1), Value(1.0));
    EXPECT_EQ(Value(3), Value::decimal("3"));
    EXPECT_EQ(Value::decimal("2.50"), Value(2.5));
    EXPECT_NE(Value(1), Value(1.5));
    EXPECT_NE(Value(true), Value(1));
    EXPECT_TRUE(Value(true).isBool());
    EXPECT_FALSE(Value(1).isBool());
    EXPECT_NE(Value(INT64_MAX), Value(9223372036854775807.0)); // the double is 2^63, out of range
    EXPECT_NE(Value("1"), Value(1));
    EXPECT_EQ(Value(), Value(nullptr));
    EXPECT_TRUE(Value(static_cast<const char*>(nullptr)).isNull());
    EXPECT_EQ(Value::dictionary({{"a", 1}, {"b", 2}}), Value::dictionary({{"b", 2}, {"a", 1}}));
    EXPECT_NE(Value::array({1, 2}), Value::array({2, 1}));
    EXPECT_NE(Value::dictionary({{1, "x"}}), Value::dictionary({{"1", "x"}}));

    // A container holding itself neither overflows the stack nor loops.
    Value loop = Value::array();
    loop.asArray()->addObject(loop);
    EXPECT_EQ(loop, loop);
    EXPECT_NE(loop.description().find("..."), std::string::npos);
    loop.asArray()->removeAllObjects(); // break the cycle so the array is freed
}

TEST(ValueTest, ArraysNeverReadOrWriteOutOfRange) {
    auto a = Array::make({"a", "b", "c", "b"});
    EXPECT_TRUE(a->objectAtIndex(4).isNull());
    EXPECT_FALSE(a->insertObject("x", 5));
    EXPECT_TRUE(a->insertObject("x", 4));
    EXPECT_TRUE(a->insertObject("first", 0));
    EXPECT_FALSE(a->removeObjectAtIndex(6));
    EXPECT_EQ(Value(a).description(), "( first, a, b, c, b, x )");
    EXPECT_EQ(a->indexOfObject("b"), 2u);
    EXPECT_EQ(a->indexOfObject("zzz"), kNotFound);
    a->removeObject("b");
    EXPECT_EQ(Value(a).description(), "( first, a, c, x )");

    Value inner = Value::array({1});
    a->addObject(inner);
    EXPECT_EQ(a->indexOfObject(Value::array({1})), 4u);
    EXPECT_EQ(a->indexOfObjectIdenticalTo(Value::array({1})), kNotFound);
    EXPECT_EQ(a->indexOfObjectIdenticalTo(inner), 4u);

    EXPECT_EQ(Value(a->subarray(Range{1, 2})).description(), "( a, c )");
    EXPECT_EQ(a->subarray(Range{3, 100})->count(), 2u);
    EXPECT_EQ(a->subarray(Range{100, 1})->count(), 0u);
    a->reverse();
    EXPECT_EQ(Value(a).description(), "( ( 1 ), x, c, a, first )");
    std::string joined;
    for (const Value& v : *a) {
        joined += v.stringValue().substr(0, 1);
    }
    EXPECT_EQ(joined, "(xcaf");

    // Removing by one of the array's own elements removes every equal one, and only those.
    auto pairs = Array::make({"a", "b", "a", "b"});
    pairs->removeObject(pairs->objectAtIndex(0));
    EXPECT_EQ(Value(pairs).description(), "( b, b )");
}

TEST(ValueTest, DictionariesKeepInsertionOrderWithMixedKeys) {
    auto d = Dictionary::make();
    d->setObject("z", "zeta");
    d->setObject(1, 7);
    d->setObject("one", "1");
    d->setObject(-3, int64_t{-3});
    d->setObject("ZETA", "zeta"); // replacing keeps the position
    EXPECT_EQ(d->count(), 4u);
    EXPECT_EQ(d->objectForKey(7), Value(1));
    EXPECT_EQ(d->objectForKey("7"), Value());
    EXPECT_EQ(d->find("missing"), nullptr);
    d->setObject(Value(), "stored null");
    ASSERT_NE(d->find("stored null"), nullptr);
    EXPECT_TRUE(d->find("stored null")->isNull());

    EXPECT_TRUE(d->removeObjectForKey("1"));
    EXPECT_FALSE(d->removeObjectForKey("1"));
    d->setObject("back", "1");
    std::vector<std::string> keys;
    for (const Key& k : d->allKeys()) {
        keys.push_back(k.text());
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"zeta", "7", "-3", "stored null", "1"}));
    EXPECT_EQ(d->objectForKey(-3), Value(-3));
    EXPECT_EQ(d->objectForKey("1"), Value("back"));
    EXPECT_EQ(Value(d).description(), "{ zeta = ZETA; 7 = 1; -3 = -3; \"stored null\" = <null>; 1 = back; }");
}

TEST(ValueTest, DictionaryLookupsStayRightAsItGrowsAndShrinks) {
    // Small dictionaries scan, large ones hash: cross that boundary both ways.
    auto d = Dictionary::make();
    d->reserve(4);
    for (int i = 0; i < 20; ++i) {
        d->setObject(i * 10, i);
        d->setObject("s" + std::to_string(i), std::to_string(i));
        for (int j = 0; j <= i; ++j) {
            ASSERT_EQ(d->objectForKey(j), Value(j * 10)) << i << " " << j;
            ASSERT_EQ(d->objectForKey(std::to_string(j)), Value("s" + std::to_string(j)));
        }
    }
    for (int i = 0; i < 19; ++i) {
        ASSERT_TRUE(d->removeObjectForKey(i));
        ASSERT_TRUE(d->removeObjectForKey(std::to_string(i)));
        ASSERT_EQ(d->find(i), nullptr);
        ASSERT_EQ(d->objectForKey(19), Value(190));
        ASSERT_EQ(d->objectForKey(std::to_string(i + 1)), Value("s" + std::to_string(i + 1)));
    }
    EXPECT_EQ(d->count(), 2u);
    d->setObject("again", 3);
    EXPECT_EQ(d->allKeys().back().text(), "3");
    EXPECT_EQ(d->objectForKey(3), Value("again"));
}

TEST(ValueTest, ConversionsFollowTheScalarRules) {
    struct Case {
        Value v;
        int32_t i;
        int64_t ll;
        double d;
        bool b;
        std::string s;
    };
    const Case cases[] = {
        {Value(), 0, 0, 0.0, false, ""},
        {Value(true), 1, 1, 1.0, true, "1"},
        {Value(false), 0, 0, 0.0, false, "0"},
        {Value(42), 42, 42, 42.0, true, "42"},
        {Value(int64_t{0x1'0000'0005}), 5, 0x1'0000'0005, 4294967301.0, true, "4294967301"},
        {Value(-7.9), -7, -7, -7.9, true, "-7.9"},
        {Value(1e20), INT32_MAX, INT64_MAX, 1e20, true, "1e+20"},
        {Value(std::nan("")), 0, 0, std::nan(""), true, "nan"},
        {Value("  12abc"), 12, 12, 12.0, true, "  12abc"},
        {Value("99999999999"), INT32_MAX, 99999999999, 99999999999.0, true, "99999999999"},
        {Value("yes"), 0, 0, 0.0, true, "yes"},
        {Value("-2.5e1"), -2, -2, -25.0, true, "-2.5e1"},
        {Value::decimal("19.99"), 19, 19, 19.99, true, "19.99"},
        {Value::decimal("-1e3"), -1000, -1000, -1000.0, true, "-1e3"},
        {Value::decimal("12345678901234567"), INT32_MAX, 12345678901234567, 12345678901234567.0, true,
         "12345678901234567"},
        {Value::array({1}), 0, 0, 0.0, false, "( 1 )"},
        {Value(Date(0)), 0, 0, 0.0, false, "2001-01-01 00:00:00 +0000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.s);
        EXPECT_EQ(c.v.intValue(), c.i);
        EXPECT_EQ(c.v.longLongValue(), c.ll);
        if (std::isnan(c.d)) {
            EXPECT_TRUE(std::isnan(c.v.doubleValue()));
        } else {
            EXPECT_DOUBLE_EQ(c.v.doubleValue(), c.d);
        }
        EXPECT_EQ(c.v.boolValue(), c.b);
        EXPECT_EQ(c.v.stringValue(), c.s);
    }
    // Typed access of the wrong kind is empty, never a throw.
    Value s("text");
    EXPECT_FALSE(s.asInt());
    EXPECT_EQ(s.asArray(), nullptr);
    EXPECT_EQ(s.asData(), nullptr);
    EXPECT_EQ(Value(3).asString(), nullptr);
    EXPECT_EQ(*s.asString(), "text");
}

TEST(ValueTest, DescriptionsOfEveryKind) {
    EXPECT_EQ(Value().description(), "<null>");
    EXPECT_EQ(Value(Bytes{0x0a, 0x0b, 0x0c, 0x0d, 0x0e}).description(), "<0a0b0c0d 0e>");
    EXPECT_EQ(Value(Bytes{}).description(), "<>");
    EXPECT_EQ(Value(0.1).description(), "0.1");
    EXPECT_EQ(Value(2.0).description(), "2");
    EXPECT_EQ(Value("top level stays bare").description(), "top level stays bare");
    EXPECT_EQ(Value(Date::fromUnix(1262304000.5)).description(), "2010-01-01 00:00:00 +0000");
    EXPECT_EQ(Value::array().description(), "()");
    EXPECT_EQ(Value::dictionary().description(), "{}");
    Value nested = Value::array({"plain", "with space", "", "quote\"back\\slash\nline", Value(),
                                 Value::dictionary({{"k", Value::array({1, 2})}, {5, true}})});
    EXPECT_EQ(nested.description(),
              "( plain, \"with space\", \"\", \"quote\\\"back\\\\slash\\nline\", <null>, { k = ( 1, 2 ); 5 = 1; } )");

    auto card = std::make_shared<Card>();
    std::string text = card->description();
    EXPECT_TRUE(std::regex_match(text, std::regex("<Card: 0x[0-9a-f]+>"))) << text;
    EXPECT_EQ(card->description(), text);
    EXPECT_EQ(Value(card).description(), text);
    auto other = std::make_shared<Card>();
    EXPECT_NE(other->description(), text);
}

TEST(BytesTest, HelpersClipRangesToTheBuffer) {
    Bytes b{1, 2, 3, 4, 5};
    append(b, Bytes{6, 7});
    append(b, "AB");
    EXPECT_EQ(b, (Bytes{1, 2, 3, 4, 5, 6, 7, 'A', 'B'}));
    EXPECT_EQ(subdata(b, Range{1, 3}), (Bytes{2, 3, 4}));
    EXPECT_EQ(subdata(b, Range{8, 10}), (Bytes{'B'}));
    EXPECT_TRUE(subdata(b, Range{50, 2}).empty());
    replaceBytesInRange(b, Range{0, 2}, Bytes{9});
    EXPECT_EQ(b, (Bytes{9, 3, 4, 5, 6, 7, 'A', 'B'}));
    replaceBytesInRange(b, Range{6, 99}, Bytes{});
    EXPECT_EQ(b, (Bytes{9, 3, 4, 5, 6, 7}));
    replaceBytesInRange(b, Range{99, 1}, Bytes{8});
    EXPECT_EQ(b, (Bytes{9, 3, 4, 5, 6, 7, 8}));
    removePrefix(b, 3);
    EXPECT_EQ(b, (Bytes{5, 6, 7, 8}));
    removePrefix(b, 100);
    EXPECT_TRUE(b.empty());

    // Parts of the buffer itself, even when the insertion moves its storage.
    Bytes self{1, 2, 3};
    self.shrink_to_fit();
    append(self, std::span<const uint8_t>(self).subspan(1));
    EXPECT_EQ(self, (Bytes{1, 2, 3, 2, 3}));
    self.shrink_to_fit();
    replaceBytesInRange(self, Range{0, 1}, std::span<const uint8_t>(self).subspan(3));
    EXPECT_EQ(self, (Bytes{2, 3, 2, 3, 2, 3}));
}

TEST(IndexPathTest, OrdersBySectionThenRowAndHashes) {
    std::set<IndexPath> ordered{{1, 0}, {0, 5}, {0, 1}};
    EXPECT_EQ(*ordered.begin(), (IndexPath{0, 1}));
    EXPECT_EQ(*ordered.rbegin(), IndexPath::indexPathForRow(0, 1));
    std::unordered_set<IndexPath> seen{{0, 1}, {1, 0}, {0, 1}};
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen.contains(IndexPath{1, 0}));
}

} // namespace
} // namespace fnd
