// The script value word and the value operations: 31-bit integers, truth, ordering, copies,
// conversions to and from platform values, debug text and the byte/character text helpers,
// including hostile shapes (cycles, deep nesting, exponential sharing).
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "games/engine/script_value.h"

namespace zelvan {
namespace {

ScriptValue text(ZObjectPool& pool, std::string_view s) {
    return valueOf(pool.newData(fnd::Bytes(s.begin(), s.end())));
}

ScriptValue array(ZObjectPool& pool, std::vector<ScriptValue> elements) {
    return valueOf(pool.newArray(std::move(elements)));
}

std::string debugText(ScriptValue v) {
    std::string out;
    obj2nsstr(v, out);
    return out;
}

TEST(ScriptValueTest, IntegersWrapAt31Bits) {
    struct Case {
        int64_t in;
        int32_t out;
    };
    const Case cases[] = {
        {0, 0},
        {1, 1},
        {-1, -1},
        {0x3FFFFFFF, 0x3FFFFFFF},
        {-0x40000000, -0x40000000},
        {0x40000000, -0x40000000}, // one past the largest wraps to the smallest
        {int32_t(0x80000001), 1},  // bits 31 and 0: the top bit is lost
        {INT32_MIN, 0},
        {INT32_MAX, -1},
    };
    for (const Case& c : cases) {
        ScriptValue word = fromInt(static_cast<int32_t>(c.in));
        EXPECT_TRUE(isInt(word)) << c.in;
        EXPECT_FALSE(isObject(word)) << c.in;
        EXPECT_EQ(intOf(word), c.out) << c.in;
    }
    EXPECT_EQ(intOf(fromUInt(0xFFFFFFFFu)), -1);
    if constexpr (sizeof(ScriptValue) > 4) {
        // Only the low 32 bits of a word carry an integer.
        EXPECT_EQ(intOf((ScriptValue{0xABCD} << 32) | 0x7), 3);
    }
    EXPECT_FALSE(isObject(kNoValue));
    EXPECT_FALSE(isInt(kNoValue));
    EXPECT_TRUE(isNull(nullValue()));
    EXPECT_EQ(ZNull::instance()->type, ZObject::kNull);
}

TEST(ScriptValueTest, Truth) {
    ZObjectPool pool;
    ZNSObject* wrappedNull = pool.newNSObject();
    ZNSObject* wrappedText = pool.newNSObject(fnd::Value("x"));
    struct Case {
        ScriptValue v;
        bool truth;
        const char* what;
    };
    const Case cases[] = {
        {fromInt(0), false, "0"},
        {fromInt(-1), true, "-1"},
        {fromInt(INT32_MIN), false, "a constant that wraps to 0"},
        {nullValue(), false, "null"},
        {kNoValue, false, "word 0"},
        {array(pool, {}), false, "empty array"},
        {array(pool, {fromInt(0)}), true, "[0]"},
        {text(pool, ""), false, "empty string"},
        {text(pool, "a"), true, "a"},
        {valueOf(wrappedNull), false, "wrapper of null"},
        {valueOf(wrappedText), true, "wrapper of a string"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checkTrue(c.v), c.truth) << c.what;
    }
}

TEST(ScriptValueTest, Ordering) {
    ZObjectPool pool;
    ScriptValue a12 = array(pool, {fromInt(1), fromInt(2)});
    ScriptValue b12 = array(pool, {fromInt(1), fromInt(2)});
    ScriptValue a123 = array(pool, {fromInt(1), fromInt(2), fromInt(3)});
    ScriptValue a13 = array(pool, {fromInt(1), fromInt(3)});
    ScriptValue ab = text(pool, "ab");
    ScriptValue abc = text(pool, "abc");
    ScriptValue b = text(pool, "b");
    ScriptValue high = text(pool, "\xff");
    ScriptValue low = text(pool, "\x01");
    ScriptValue wrapper = valueOf(pool.newNSObject(fnd::Value(1)));
    ScriptValue nul = nullValue();
    struct Case {
        ScriptValue a, b;
        int order;
        const char* what;
    };
    const Case cases[] = {
        {fromInt(3), fromInt(5), -1, "3 < 5"},
        {fromInt(5), fromInt(5), 0, "5 = 5"},
        {fromInt(0x3FFFFFFF), fromInt(-0x40000000), 1, "extremes do not overflow"},
        {fromInt(-0x40000000), fromInt(0x3FFFFFFF), -1, "extremes do not overflow (reversed)"},
        {fromInt(7), nul, 1, "integer vs null"},
        {nul, fromInt(7), -1, "null vs integer"},
        {nul, a12, -1, "null vs array"},
        {a12, nul, 1, "array vs null"},
        {ab, nul, 1, "data vs null"},
        {wrapper, nul, 1, "wrapper vs null"},
        {nul, nul, 0, "null vs null"},
        {a12, a12, 0, "same array"},
        {a12, b12, 0, "equal arrays"},
        {a12, a123, -1, "prefix is lower"},
        {a123, a12, 1, "longer is higher"},
        {a13, a123, 1, "first differing element decides"},
        {ab, abc, -1, "prefix string"},
        {b, ab, 1, "b after ab"},
        {high, low, 1, "bytes compare unsigned"},
        {ab, text(pool, "ab"), 0, "equal strings"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cmp(c.a, c.b), c.order) << c.what;
        EXPECT_EQ(cmpLesser(c.a, c.b), c.order < 0 ? 1 : 0) << c.what;
        EXPECT_EQ(cmpGreater(c.a, c.b), c.order >= 0 ? 1 : 0) << c.what;
    }
    // Mixed kinds: a stable, antisymmetric order by word, never 0 for different values.
    const ScriptValue mixed[] = {fromInt(1), fromInt(-4), a12, ab, wrapper};
    for (ScriptValue x : mixed) {
        for (ScriptValue y : mixed) {
            if (x != y) {
                EXPECT_NE(cmp(x, y), 0);
                EXPECT_EQ(cmp(x, y), -cmp(y, x));
            }
        }
    }
}

TEST(ScriptValueTest, CopiesAreShallowOrDeepAsAsked) {
    ZObjectPool pool;
    ScriptValue inner = array(pool, {fromInt(1)});
    ScriptValue outer = array(pool, {inner, text(pool, "s")});
    ScriptValue shallow = copy(outer, pool);
    ASSERT_NE(shallow, outer);
    EXPECT_EQ(arrayOf(shallow)->elements, arrayOf(outer)->elements);

    ScriptValue deep = deepArrayCopy(outer, pool);
    ASSERT_NE(deep, outer);
    EXPECT_EQ(cmp(deep, outer), 0);
    EXPECT_NE(arrayOf(deep)->elements[0], inner);                       // arrays are copied
    EXPECT_EQ(arrayOf(deep)->elements[1], arrayOf(outer)->elements[1]); // data is shared

    ScriptValue data = text(pool, "xy");
    ScriptValue dataCopy = copy(data, pool);
    EXPECT_NE(dataCopy, data);
    EXPECT_EQ(dataOf(dataCopy)->bytes, dataOf(data)->bytes);
    EXPECT_EQ(deepArrayCopy(data, pool), data);

    auto dictionary = fnd::Value::dictionary({{"k", 1}});
    ScriptValue wrapper = valueOf(pool.newNSObject(dictionary));
    ScriptValue wrapperCopy = copy(wrapper, pool);
    EXPECT_NE(wrapperCopy, wrapper);
    EXPECT_TRUE(fnd::Value::identical(nsObjectOf(wrapperCopy)->object, dictionary));

    EXPECT_EQ(copy(fromInt(9), pool), fromInt(9));
    EXPECT_EQ(copy(nullValue(), pool), nullValue());
    EXPECT_EQ(copy(kNoValue, pool), nullValue());
}

TEST(ScriptValueTest, ConversionToAndFromPlatformValues) {
    ZObjectPool pool;
    auto dictionary = fnd::Value::dictionary({{"k", 1}});
    struct FromCase {
        fnd::Value in;
        std::string debug;
    };
    const FromCase from[] = {
        {fnd::Value(), "null"},
        {fnd::Value(true), "int(1)"},
        {fnd::Value(7), "int(7)"},
        {fnd::Value(-3.9), "int(-3)"},
        {fnd::Value::decimal("12.5"), "int(12)"},
        {fnd::Value(int64_t{0x100000005}), "int(5)"},          // intValue keeps 32 bits
        {fnd::Value(int64_t{0x40000000}), "int(-1073741824)"}, // and the word keeps 31
        {fnd::Value("abc"), "data[3]{abc}"},
        {fnd::Value(fnd::Bytes{'h', 'i'}), "data[2]{hi}"},
        {fnd::Value::array({1, "x", fnd::Value()}), "array(3){int(1),data[1]{x},null}"},
        {dictionary, "NSO(" + dictionary.description() + ")"},
    };
    for (const FromCase& c : from) {
        EXPECT_EQ(debugText(convertFromNS(c.in, pool)), c.debug) << c.in.description();
    }

    // A string becomes bytes and comes back as data, not as a string.
    fnd::Value back = convertToNS(convertFromNS(fnd::Value("abc"), pool));
    ASSERT_TRUE(back.isData());
    EXPECT_EQ(*back.asData(), (fnd::Bytes{'a', 'b', 'c'}));

    EXPECT_EQ(convertToNS(fromInt(-5)), fnd::Value(-5));
    EXPECT_TRUE(convertToNS(fromInt(-5)).isInt());
    EXPECT_TRUE(convertToNS(kNoValue).isNull());
    EXPECT_TRUE(convertToNS(nullValue()).isNull());
    EXPECT_EQ(convertToNS(array(pool, {fromInt(1), nullValue(), text(pool, "z")})),
              fnd::Value::array({1, fnd::Value(), fnd::Value(fnd::Bytes{'z'})}));
    EXPECT_TRUE(fnd::Value::identical(convertToNS(convertFromNS(dictionary, pool)), dictionary));

    // A byte string named many times converts to one buffer: a script's result may repeat its
    // largest string millions of times, and a copy per reference would exhaust memory.
    ScriptValue big = valueOf(pool.newData(fnd::Bytes(1 << 16, 'q')));
    fnd::Value many = convertToNS(array(pool, std::vector<ScriptValue>(1000, big)));
    ASSERT_TRUE(many.isArray());
    ASSERT_EQ(many.asArray()->count(), 1000u);
    for (const fnd::Value& item : *many.asArray()) {
        EXPECT_EQ(item.dataRef().get(), many.asArray()->objectAtIndex(0).dataRef().get());
    }
    EXPECT_EQ(many.asArray()->objectAtIndex(999).asData()->size(), size_t{1} << 16);
}

TEST(ScriptValueTest, CyclesAndDeepNestingTerminate) {
    ZObjectPool pool;
    // a = [1, a]
    ZArray* cyclic = pool.newArray({fromInt(1)});
    cyclic->elements.push_back(valueOf(cyclic));
    ScriptValue a = valueOf(cyclic);
    EXPECT_EQ(debugText(a), "array(2){int(1),...}");
    EXPECT_EQ(convertToNS(a), fnd::Value::array({1, fnd::Value()}));
    ScriptValue copied = deepArrayCopy(a, pool);
    EXPECT_EQ(debugText(copied), "array(2){int(1),null}");
    // Two distinct but alike cycles compare equal instead of recursing forever.
    ZArray* other = pool.newArray({fromInt(1)});
    other->elements.push_back(valueOf(other));
    EXPECT_EQ(cmp(a, valueOf(other)), 0);

    // A platform array that holds itself converts with null at the cycle.
    auto platformArray = std::make_shared<fnd::Array>();
    platformArray->addObject(fnd::Value(2));
    platformArray->addObject(fnd::Value(platformArray));
    EXPECT_EQ(debugText(convertFromNS(fnd::Value(platformArray), pool)), "array(2){int(2),null}");
    platformArray->removeAllObjects(); // break the reference cycle

    // A chain nested far deeper than the limit stops at the limit.
    ScriptValue chain = fromInt(0);
    for (int i = 0; i < 5000; ++i) {
        chain = array(pool, {chain});
    }
    auto depthOf = [](ScriptValue v) {
        int depth = 0;
        while (ZArray* a = arrayOf(v)) {
            ++depth;
            v = a->elements.empty() ? kNoValue : a->elements[0];
        }
        return depth;
    };
    EXPECT_EQ(depthOf(deepArrayCopy(chain, pool)), kMaxValueDepth);
    int converted = 0;
    for (fnd::Value v = convertToNS(chain); v.isArray(); v = v.asArray()->objectAtIndex(0)) {
        ++converted;
    }
    EXPECT_EQ(converted, kMaxValueDepth);
    std::string text;
    obj2nsstr(chain, text);
    EXPECT_NE(text.find("..."), std::string::npos);
    ScriptValue twin = fromInt(0);
    for (int i = 0; i < 5000; ++i) {
        twin = array(pool, {twin});
    }
    EXPECT_EQ(cmp(chain, twin), 0);

    // Exponential sharing: 64 levels of [x, x]. Copies and conversions that would blow up give null;
    // comparing two such graphs ends.
    ScriptValue left = fromInt(1);
    ScriptValue right = fromInt(1);
    for (int i = 0; i < 64; ++i) {
        left = array(pool, {left, left});
        right = array(pool, {right, right});
    }
    EXPECT_EQ(deepArrayCopy(left, pool), nullValue());
    EXPECT_TRUE(convertToNS(left).isNull());
    EXPECT_EQ(cmp(left, right), 0);
    std::string huge;
    obj2nsstr(left, huge);
    EXPECT_LE(huge.size(), kMaxDebugText + 64);
    EXPECT_TRUE(huge.ends_with("..."));
}

TEST(ScriptValueTest, DebugText) {
    ZObjectPool pool;
    struct Case {
        ScriptValue v;
        std::string text;
    };
    const Case cases[] = {
        {fromInt(5), "int(5)"},
        {fromInt(-3), "int(-3)"},
        {nullValue(), "null"},
        {kNoValue, ""},
        {array(pool, {}), "array(0){}"},
        {array(pool, {fromInt(1), nullValue(), array(pool, {text(pool, "é")})}),
         "array(3){int(1),null,array(1){data[2]{é}}}"},
        {text(pool, "\xff"), "data[1]{\xEF\xBF\xBD}"},
        {valueOf(pool.newNSObject(fnd::Value("hi"))), "NSO(hi)"},
        {valueOf(pool.newNSObject()), "NSO(<null>)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(debugText(c.v), c.text);
    }
    std::string appended = "x=";
    obj2nsstr(fromInt(1), appended);
    EXPECT_EQ(appended, "x=int(1)");
}

TEST(ScriptValueTest, ByteStringsAndCharacterStrings) {
    fnd::Bytes data;
    makeUTF8Data(data, u"\xE9");
    EXPECT_EQ(data, (fnd::Bytes{0xC3, 0xA9}));
    data.clear();
    makeUTF8Data(data, std::u16string_view(u"A\0\x7f\x80\xff", 5));
    EXPECT_EQ(data, (fnd::Bytes{0x41, 0x00, 0x7F, 0xC2, 0x80, 0xC3, 0xBF}));
    data.clear();
    makeUTF8Data(data, std::u16string_view(u"\xD83D", 1)); // a lone surrogate half
    EXPECT_EQ(data, (fnd::Bytes{0xEF, 0xBF, 0xBD}));

    struct Case {
        std::string utf8;
        std::u16string chars;
    };
    const Case cases[] = {
        {"abc", u"abc"},
        {"\xC3\xA9", u"\xE9"},                 // é
        {"\xE2\x82\xAC", u"\x20AC"},           // the whole unit, not its low byte
        {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"}, // a surrogate pair gives two units
        {"\xFF", u"\xFFFD"},                   // ill-formed: U+FFFD
    };
    for (const Case& c : cases) {
        std::u16string out = u"<";
        makeUTF8String(out, std::span(reinterpret_cast<const uint8_t*>(c.utf8.data()), c.utf8.size()));
        EXPECT_EQ(out, u"<" + c.chars) << c.utf8;
    }
    // Latin-1 text survives the round trip through UTF-8.
    std::u16string latin;
    for (int c = 1; c < 256; ++c) {
        latin.push_back(static_cast<char16_t>(c));
    }
    fnd::Bytes encoded;
    makeUTF8Data(encoded, latin);
    std::u16string decoded;
    makeUTF8String(decoded, encoded);
    EXPECT_EQ(decoded, latin);

    const std::string mixed = "\xC3\x84Gb"; // ÄGb
    std::u16string lower;
    makeUTF8CaseString(lower, std::span(reinterpret_cast<const uint8_t*>(mixed.data()), mixed.size()), true);
    EXPECT_EQ(lower, u"\xE4gb");
    std::u16string upper;
    makeUTF8CaseString(upper, std::span(reinterpret_cast<const uint8_t*>(mixed.data()), mixed.size()), false);
    EXPECT_EQ(upper, u"\xC4GB");

    EXPECT_EQ(toUnsignedString(255, 4), "ff");
    EXPECT_EQ(toUnsignedString(0, 4), "0");
    EXPECT_EQ(toUnsignedString(0xFFFFFFFFu, 4), "ffffffff");
    EXPECT_EQ(toUnsignedString(0x80000000u, 4), "80000000");
    EXPECT_EQ(toUnsignedString(5, 1), "101");
    EXPECT_EQ(toUnsignedString(8, 3), "10");
    EXPECT_EQ(toUnsignedString(255, 0), "ff");
    EXPECT_EQ(toUnsignedString(255, 40), "ff");

    ZObjectPool pool;
    ZData* hello = dataOf(text(pool, "hello"));
    struct Find {
        std::string needle;
        ptrdiff_t at;
    };
    const Find finds[] = {{"ll", 2}, {"h", 0}, {"o", 4}, {"", 0}, {"xyz", -1}, {"hello!", -1}, {"hello", 0}};
    for (const Find& f : finds) {
        EXPECT_EQ(hello->indexOf(*dataOf(text(pool, f.needle))), f.at) << f.needle;
    }
    EXPECT_EQ(dataOf(text(pool, ""))->indexOf(*dataOf(text(pool, ""))), 0);
    EXPECT_EQ(hello->newString(), "hello");
}

} // namespace
} // namespace zelvan
