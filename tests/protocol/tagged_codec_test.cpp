// The tagged value codec: exact bytes of the narrowest forms, round trips of every kind, conversions
// of kinds the wire lacks, and refusal of malformed input with an error naming the fault and its offset.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/data_slice.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/utf16.h"
#include "protocol/tagged_codec.h"

namespace zelvan {
namespace {

using fnd::Value;

fnd::Bytes hex(std::string_view text) {
    fnd::Bytes out;
    int nibbles = 0;
    uint8_t byte = 0;
    for (char c : text) {
        if (c == ' ') {
            continue;
        }
        int v = (c >= '0' && c <= '9') ? c - '0' : (c | 0x20) - 'a' + 10;
        byte = static_cast<uint8_t>(byte << 4 | v);
        if (++nibbles % 2 == 0) {
            out.push_back(byte);
            byte = 0;
        }
    }
    return out;
}

// `levels` arrays inside each other, the innermost holding `innermost`.
Value nested(int levels, Value innermost = Value::array({1})) {
    Value v = innermost;
    for (int i = 1; i <= levels - (innermost.isArray() ? 1 : 0); ++i) {
        v = Value::array({v, "x"});
    }
    return v;
}

TEST(TaggedCodecTest, WritesNarrowestForms) {
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    struct Case {
        Value value;
        const char* bytes;
    } cases[] = {
        {Value(), "00"},
        {0, "01 00"},
        {127, "01 7f"},
        {128, "02 00 80"},
        {-128, "01 80"},
        {-129, "02 ff 7f"},
        {32767, "02 7f ff"},
        {32768, "03 00 00 80 00"},
        {-32768, "02 80 00"},
        {-32769, "03 ff ff 7f ff"},
        {2147483647, "03 7f ff ff ff"},
        {int64_t{2147483648}, "04 00 00 00 00 80 00 00 00"},
        {int64_t{-2147483648}, "03 80 00 00 00"},
        {int64_t{-2147483649}, "04 ff ff ff ff 7f ff ff ff"},
        {kMax, "04 7f ff ff ff ff ff ff ff"},
        {kMin, "04 80 00 00 00 00 00 00 00"},
        {"Hi", "0b 00 00 00 04 00 48 00 69"},
        {"", "0b 00 00 00 00"},
        {"\xc3\xa9", "0b 00 00 00 02 00 e9"},
        {"\xf0\x9f\x98\x80", "0b 00 00 00 04 d8 3d de 00"},
        {"a\xff", "0b 00 00 00 04 00 61 ff fd"},
        {fnd::Bytes{1, 2}, "06 00 00 00 02 01 02"},
        {fnd::Bytes{}, "06 00 00 00 00"},
        {Value::array(), "05 00 00 00 00"},
        {Value::array({3, 1, 300}), "08 00 00 00 03 00 03 00 01 01 2c"},
        {Value::array({-128, 127}), "07 00 00 00 02 80 7f"},
        {Value::array({1, 70000}), "09 00 00 00 02 00 00 00 01 00 01 11 70"},
        {Value::array({1, kMin}), "0a 00 00 00 02 00 00 00 00 00 00 00 01 80 00 00 00 00 00 00 00"},
        {Value::array({"a", "b"}), "0c 00 00 00 02 00 00 00 02 00 61 00 00 00 02 00 62"},
        {Value::array({3, "a"}), "05 00 00 00 02 01 03 0b 00 00 00 02 00 61"},
        {Value::dictionary({{1, "a"}, {"k", Value()}}),
         "0d 00 00 00 02 01 01 0b 00 00 00 02 00 61 0b 00 00 00 02 00 6b 00"},
        {Value::dictionary({{300, 1}}), "0d 00 00 00 01 02 01 2c 01 01"},
        // Kinds the wire lacks.
        {true, "01 01"},
        {false, "01 00"},
        {2.0, "01 02"},
        {-3.0, "01 fd"},
        {Value::decimal("40000"), "03 00 00 9c 40"},
        {fnd::Date::fromReference(86400.75), "03 00 01 51 80"},
        {Value::array({true, 2.0, 5}), "07 00 00 00 03 01 02 05"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.description());
        EXPECT_EQ(dumps(c.value), hex(c.bytes));
    }
}

TEST(TaggedCodecTest, RoundTripsEveryKindAndNesting) {
    Value contact = Value::dictionary({{1, "Ann"}, {2, "+44 20 7946 0000"}, {3, 42}, {"note", fnd::Bytes{0, 255}}});
    Value values[] = {
        Value(),
        Value(std::numeric_limits<int64_t>::min()),
        Value(std::numeric_limits<int64_t>::max()),
        Value("caf\xc3\xa9 \xf0\x9f\x98\x80 \xe4\xb8\xad"),
        Value(fnd::Bytes(70000, 0xab)),
        Value::array({Value(), 1, "two", fnd::Bytes{3}, Value::array(), Value::dictionary()}),
        Value::array({1, -70000, int64_t{1} << 40}),
        Value::array({"", "x", "\xe4\xb8\xad"}),
        Value::array({0, Value::array({"a", Value::array({1, 2})}), contact, Value::array({contact, contact})}),
        Value::dictionary({{-5, Value::array({1})}, {"", contact}}),
        nested(kCodecMaxDepth),
    };
    for (const Value& v : values) {
        SCOPED_TRACE(v.description());
        auto back = loads(dumps(v));
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(*back, v);
    }
    // Text of every length around the 8- and 16-unit blocks, ASCII and with a non-ASCII character.
    for (size_t n = 0; n <= 40; ++n) {
        for (const std::string& text :
             {std::string(n, 'a'), std::string(n, 'a') + "\xc3\xa9" + std::string(n % 7, 'b')}) {
            SCOPED_TRACE(text);
            fnd::Bytes bytes = dumps(Value(text));
            std::u16string units = fnd::toUtf16(text);
            ASSERT_EQ(bytes.size(), 5 + 2 * units.size());
            EXPECT_EQ(bytes[bytes.size() - 2], units.empty() ? 0 : units.back() >> 8);
            EXPECT_EQ(bytes.back(), units.empty() ? 0 : units.back() & 0xff);
            EXPECT_EQ(loads(bytes), Value(text));
        }
    }
    // Typed read-back: int and string arrays come back as plain arrays of Int / String values.
    auto back = loads(dumps(Value::array({1, 2})));
    ASSERT_TRUE(back && back->isArray());
    EXPECT_TRUE(back->asArray()->objectAtIndex(1).isInt());
    back = loads(dumps(Value(fnd::Bytes{9})));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->isData());
}

TEST(TaggedCodecTest, LossyConversionsWarnOncePerCall) {
    fnd::testing::LogCapture log;
    EXPECT_EQ(dumps(Value::array({2.5, -2.5, Value::decimal("7.9")})), hex("07 00 00 00 03 02 fe 07"));
    EXPECT_EQ(log.count("codec: non-integral number"), 1u);
    log.clear();
    EXPECT_EQ(dumps(Value::array({1e300, std::numeric_limits<double>::quiet_NaN()})),
              hex("0a 00 00 00 02 7f ff ff ff ff ff ff ff 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(log.count("codec: non-integral number"), 1u);

    struct Thing : fnd::Object {};
    log.clear();
    EXPECT_EQ(dumps(Value::array({std::make_shared<Thing>(), std::make_shared<Thing>()})), hex("05 00 00 00 02 00 00"));
    EXPECT_EQ(log.count("codec: 2 object value(s) written as null"), 1u);

    log.clear();
    EXPECT_EQ(dumps(Value::array({2.0, Value::decimal("-12"), true})), hex("07 00 00 00 03 02 f4 01"));
    EXPECT_TRUE(log.lines().empty());

    // A container too deep for the reader is written as null, so what is written can be read.
    auto cycle = fnd::Array::make({1});
    cycle->addObject(Value(cycle));
    auto tooDeep = loads(dumps(Value(cycle)));
    cycle->removeAllObjects();
    ASSERT_TRUE(tooDeep.ok());
    EXPECT_EQ(log.count("codec: containers nested deeper than 64 written as null"), 1u);
    EXPECT_EQ(loads(dumps(nested(kCodecMaxDepth + 1))), nested(kCodecMaxDepth, Value()));
}

TEST(TaggedCodecTest, RefusesMalformedInputNamingTheFaultAndItsOffset) {
    std::string deep;
    for (int i = 0; i <= kCodecMaxDepth; ++i) {
        deep += "05 00 00 00 01 ";
    }
    deep += "00";
    struct Case {
        std::string bytes;
        fnd::ParseErrorCode code;
        const char* message;
    } cases[] = {
        {"", fnd::kParseTruncated, "truncated value at offset 0"},
        {"02 00", fnd::kParseTruncated, "truncated integer at offset 0"},
        {"04 00 00 00 00 00 00 00", fnd::kParseTruncated, "truncated integer at offset 0"},
        {"05 00 00 00 02 01 05 06 00 00 00 09 01 02", fnd::kParseTruncated,
         "byte string of declared size 9 exceeds the 2 bytes left at offset 7"},
        {"06 00 00", fnd::kParseTruncated, "truncated byte string at offset 0"},
        {"06 ff ff ff ff 00", fnd::kParseTruncated,
         "byte string of declared size 4294967295 exceeds the 1 bytes left at offset 0"},
        {"05 7f ff ff ff 00 00", fnd::kParseTruncated,
         "array of declared size 2147483647 exceeds the 2 bytes left at offset 0"},
        {"05 00 00 00 02 06 00 00 00 00", fnd::kParseTruncated, "truncated value at offset 10"},
        {"08 00 00 00 02 00 01 00", fnd::kParseTruncated,
         "int array of declared size 2 exceeds the 3 bytes left at offset 0"},
        {"0c 00 00 00 02 00 00 00 00", fnd::kParseTruncated,
         "string array of declared size 2 exceeds the 4 bytes left at offset 0"},
        {"0c 00 00 00 01 00 00 00 04 00 61", fnd::kParseTruncated,
         "string of declared size 4 exceeds the 2 bytes left at offset 5"},
        {"0d 00 00 00 01 01 01", fnd::kParseTruncated,
         "dictionary of declared size 1 exceeds the 2 bytes left at offset 0"},
        {"0d 00 00 00 01 05 00 00 00 00 00", fnd::kParseMalformed, "dictionary key of tag 0x05 at offset 5"},
        {"0d 00 00 00 01 03 00 00", fnd::kParseTruncated, "truncated dictionary key at offset 5"},
        {"0b 00 00 00 03 00 61 00", fnd::kParseMalformed, "odd UTF-16 byte count 3 at offset 0"},
        {"0e", fnd::kParseMalformed, "unknown tag 0x0e at offset 0"},
        {"05 00 00 00 01 ff", fnd::kParseMalformed, "unknown tag 0xff at offset 5"},
        {"01 05 00", fnd::kParseTrailingBytes, "1 trailing bytes after the value at offset 2"},
        {deep, fnd::kParseTooDeep, "containers nested deeper than 64 at offset 320"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        fnd::testing::LogCapture log;
        auto result = loads(hex(c.bytes));
        ASSERT_FALSE(result.ok());
        const fnd::Error& error = result.error();
        EXPECT_EQ(error.domain(), fnd::kParseErrorDomain);
        EXPECT_EQ(error.code(), c.code);
        EXPECT_EQ(error.localizedDescription(), c.message);
        // The offset in the user info is the one the text names, after the reason.
        ASSERT_TRUE(fnd::parseErrorOffset(error).has_value());
        EXPECT_EQ(error.localizedFailureReason() + " at offset " + std::to_string(*fnd::parseErrorOffset(error)),
                  c.message);
        EXPECT_TRUE(log.lines().empty()); // the caller decides whether to log
    }
}

// The peak resident size of this process so far, in MiB.
long peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

TEST(TaggedCodecTest, NestedCountsDoNotMultiplyMemory) {
    // Each container claims as many items as there are bytes left, nested as deep as allowed, with
    // nothing behind them that decodes. Refusing them must cost memory in proportion to the bytes,
    // not to the bytes times the depth.
    auto claimAll = [](size_t size, std::string_view level, uint64_t perItem) {
        fnd::Bytes bytes(size, 0xff);
        size_t at = 0;
        for (int i = 0; i < kCodecMaxDepth - 1; ++i, at += level.size()) {
            uint64_t count = (size - at - 5) / perItem;
            for (size_t k = 0; k < level.size(); ++k) {
                bytes[at + k] = static_cast<uint8_t>(level[k]);
            }
            for (int k = 0; k < 4; ++k) {
                bytes[at + 1 + k] = static_cast<uint8_t>(count >> (8 * (3 - k)));
            }
        }
        return bytes;
    };
    const fnd::Bytes inputs[] = {
        claimAll(512 * 1024, std::string_view("\x05\0\0\0\0", 5), 1),        // arrays
        claimAll(1024 * 1024, std::string_view("\x0d\0\0\0\0\x01\0", 7), 3), // dictionaries
    };
    fnd::testing::LogCapture log;
    for (const fnd::Bytes& input : inputs) {
        long before = peakMiB();
        EXPECT_FALSE(loads(input).ok());
        EXPECT_LT(peakMiB() - before, 64) << "input of " << input.size() << " bytes";
    }
}

// Honest arrays cost a wire byte an element but a whole value each in memory: a decode builds at
// most kCodecMaxDecodedValues values and kCodecMaxDecodedBytes bytes, whatever the frame holds.
TEST(TaggedCodecTest, OneDecodeStaysWithinItsBudget) {
    auto intArray = [](uint64_t count) {
        fnd::Bytes bytes{0x07, static_cast<uint8_t>(count >> 24), static_cast<uint8_t>(count >> 16),
                         static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)};
        bytes.resize(5 + count, 0x01);
        return bytes;
    };
    // The array itself is one value: this many elements fill the budget exactly.
    const uint64_t fits = kCodecMaxDecodedValues - 1;
    fnd::Result<Value> full = loads(intArray(fits));
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(full->asArray()->count(), fits);

    for (const fnd::Bytes& over : {intArray(fits + 1), intArray(3 * kCodecMaxDecodedValues)}) {
        fnd::Result<Value> refused = loads(over);
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().code(), fnd::kParseTooLarge);
        EXPECT_EQ(fnd::parseErrorOffset(refused.error()), 0u);
    }
    // Strings and nested arrays count too: a million empty strings inside one array, a byte string over
    // the byte budget.
    fnd::Bytes strings{0x05, 0x00, 0x11, 0x00, 0x00};
    for (int i = 0; i < 0x110000; ++i) {
        strings.insert(strings.end(), {0x0b, 0x00, 0x00, 0x00, 0x00});
    }
    fnd::Result<Value> manyStrings = loads(strings);
    ASSERT_FALSE(manyStrings.ok());
    EXPECT_EQ(manyStrings.error().code(), fnd::kParseTooLarge);
    EXPECT_EQ(fnd::parseErrorOffset(manyStrings.error()), 5u + 5u * (kCodecMaxDecodedValues - 1));
}

TEST(TaggedCodecTest, ShortTextFollowedByMoreBytesReadsExactly) {
    // Short text is checked for ASCII with one load when more bytes follow it; every length and every
    // position of one non-ASCII character must still read back exactly.
    for (size_t n = 0; n <= 9; ++n) {
        for (size_t at = 0; at <= n; ++at) {
            std::string text(n, 'q');
            if (at < n) {
                text.replace(at, 1, "\xc3\xa9");
            }
            SCOPED_TRACE(text);
            Value packet = Value::array({text, Value::array({"next", 1234567}), text});
            EXPECT_EQ(loads(dumps(packet)), packet);
        }
    }
}

TEST(TaggedCodecTest, RepeatedDictionaryKeyKeepsItsPlaceAndTakesTheLaterValue) {
    // Entries of one-byte integer keys and values; the last entry repeats an earlier key. Small and
    // large dictionaries (those past a handful of entries keep a hash index) behave alike.
    for (int entries : {3, 12}) {
        SCOPED_TRACE(entries);
        fnd::Bytes bytes = {0x0d, 0, 0, 0, static_cast<uint8_t>(entries)};
        for (int i = 0; i < entries - 1; ++i) {
            bytes.insert(bytes.end(), {0x01, static_cast<uint8_t>(i), 0x01, static_cast<uint8_t>(10 + i)});
        }
        bytes.insert(bytes.end(), {0x01, 1, 0x0b, 0, 0, 0, 2, 0, 'z'});
        auto v = loads(bytes);
        ASSERT_TRUE(v && v->isDictionary());
        auto dict = v->asDictionary();
        ASSERT_EQ(dict->count(), static_cast<size_t>(entries - 1));
        EXPECT_EQ(dict->entries()[1].first, fnd::Key(1));
        EXPECT_EQ(dict->entries()[1].second, Value("z"));
        for (int i = 0; i < entries - 1; ++i) {
            EXPECT_EQ(dict->objectForKey(i), i == 1 ? Value("z") : Value(10 + i));
        }
    }
    // String keys likewise, and the integer 1 and the string "1" are different keys.
    for (int entries : {3, 12}) {
        SCOPED_TRACE(entries);
        auto stringKey = [](fnd::Bytes& bytes, char c) {
            bytes.insert(bytes.end(), {0x0b, 0, 0, 0, 2, 0, uint8_t(c)});
        };
        fnd::Bytes bytes = {0x0d, 0, 0, 0, static_cast<uint8_t>(entries + 1)};
        for (int i = 0; i < entries - 1; ++i) {
            stringKey(bytes, static_cast<char>('0' + i));
            bytes.insert(bytes.end(), {0x01, static_cast<uint8_t>(i)});
        }
        bytes.insert(bytes.end(), {0x01, 1, 0x01, 99});
        stringKey(bytes, '1');
        bytes.insert(bytes.end(), {0x01, 42});
        auto v = loads(bytes);
        ASSERT_TRUE(v && v->isDictionary());
        auto dict = v->asDictionary();
        ASSERT_EQ(dict->count(), static_cast<size_t>(entries));
        EXPECT_EQ(dict->entries()[1].first, fnd::Key("1"));
        EXPECT_EQ(dict->entries()[1].second, Value(42));
        EXPECT_EQ(dict->entries().back().first, fnd::Key(1));
        EXPECT_EQ(dict->objectForKey(1), Value(99));
        EXPECT_EQ(dict->objectForKey("0"), Value(0));
    }
}

TEST(TaggedCodecTest, LargeByteStringsOfASharedFrameOutliveIt) {
    // A byte string that is most of a shared frame is a slice of it, which keeps the frame alive; the value
    // reads the same however it is asked, and writes back the same bytes.
    fnd::Bytes payload(4096);
    for (size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<uint8_t>(i * 7);
    }
    Value packet = Value::array({76, Value(payload), Value(fnd::Bytes{1, 2, 3})});
    auto frame = std::make_shared<const fnd::Bytes>(dumps(packet));
    std::weak_ptr<const fnd::Bytes> watch = frame;
    Value data;
    Value small;
    {
        auto decoded = loads(frame);
        ASSERT_TRUE(decoded && decoded->isArray());
        data = decoded->asArray()->objectAtIndex(1);
        small = decoded->asArray()->objectAtIndex(2);
    }
    frame.reset();
    ASSERT_FALSE(watch.expired());
    auto bytes = fnd::dataBytes(data);
    EXPECT_EQ(fnd::Bytes(bytes.begin(), bytes.end()), payload);
    ASSERT_NE(data.asData(), nullptr);
    EXPECT_EQ(*data.asData(), payload);
    EXPECT_EQ(*data.dataRef(), payload);
    EXPECT_EQ(data, Value(payload));
    EXPECT_EQ(*small.asData(), (fnd::Bytes{1, 2, 3}));
    EXPECT_EQ(dumps(Value::array({76, data, small})), dumps(packet));
    EXPECT_TRUE(Value::identical(data, Value(data)));
    data = Value();
    EXPECT_TRUE(watch.expired());

    // Small byte strings, or ones that are a small part of their frame, are copies: keeping them does
    // not keep the frame.
    frame = std::make_shared<const fnd::Bytes>(dumps(Value::array({fnd::Bytes(300, 1), fnd::Bytes(4096, 2)})));
    watch = frame;
    {
        auto decoded = loads(frame);
        ASSERT_TRUE(decoded && decoded->isArray());
        small = decoded->asArray()->objectAtIndex(0);
    }
    frame.reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(*small.asData(), fnd::Bytes(300, 1));
}

TEST(TaggedCodecTest, ReadsUtf16Leniently) {
    using namespace std::string_literals;
    struct Case {
        const char* bytes;
        std::string text;
    } cases[] = {
        {"0b 00 00 00 02 d8 3d", "\xef\xbf\xbd"}, // lone high surrogate
        {"0b 00 00 00 06 00 41 de 00 00 42", "A\xef\xbf\xbd"
                                             "B"},                 // lone low surrogate
        {"0b 00 00 00 06 d8 3d de 00 00 21", "\xf0\x9f\x98\x80!"}, // pair
        {"0b 00 00 00 04 00 00 00 ff", "\0\xc3\xbf"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        auto v = loads(hex(c.bytes));
        ASSERT_TRUE(v && v->isString());
        EXPECT_EQ(*v->asString(), c.text);
    }
}

} // namespace
} // namespace zelvan
