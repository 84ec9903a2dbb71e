// Array, dictionary and string helpers on odd inputs; zlib and gzip round trips, caps and corrupt
// streams; Base64 against the RFC 4648 vectors and malformed text.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/category_helpers.h"
#include "core/data_helpers.h"
#include "platform/foundation/parse_error.h"
#include "protocol/tagged_codec.h"

namespace zelvan {
namespace {

using fnd::Bytes;
using fnd::Value;

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

TEST(CategoryHelpersTest, ArrayIntValueAndNilableObjectOnOddElements) {
    Value list = Value::array({Value("  12abc"), Value("-"), Value(3.99), Value(-3.99), Value(true), Value(false),
                               Value::array({5}), Value(), Value::dictionary({{1, 2}}), Value(Bytes{'7'}),
                               Value::decimal("42.5"), Value("-7"), Value(1e20), Value(-1e20), Value(19)});
    const fnd::Array& a = *list.asArray();
    struct Case {
        int index;
        int32_t expected;
    };
    const std::vector<Case> cases = {
        {0, 12},
        {1, 0},
        {2, 3},
        {3, -3},
        {4, 1},
        {5, 0},
        {6, 0},
        {7, 0},
        {8, 0},
        {9, 0},
        {10, 42},
        {11, -7},
        {12, INT32_MAX},
        {13, INT32_MIN},
        {14, 19},
        {-1, INT32_MAX},
        {INT_MIN, INT32_MAX},
        {15, INT32_MAX},
        {INT_MAX, INT32_MAX},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(intValue(a, c.index), c.expected) << "index " << c.index;
    }

    EXPECT_EQ(nilableObjectAtIndex(a, 0), Value("  12abc"));
    EXPECT_TRUE(nilableObjectAtIndex(a, 6).isArray());
    EXPECT_TRUE(nilableObjectAtIndex(a, 7).isNull()); // the null element
    EXPECT_TRUE(nilableObjectAtIndex(a, -1).isNull());
    EXPECT_TRUE(nilableObjectAtIndex(a, 15).isNull());

    fnd::Array ids;
    EXPECT_TRUE(isEmpty(ids));
    EXPECT_EQ(intValue(ids, 0), INT32_MAX);
    addInt(ids, -5);
    addInt(ids, INT32_MAX);
    EXPECT_FALSE(isEmpty(ids));
    ASSERT_EQ(ids.count(), 2u);
    EXPECT_TRUE(ids.objectAtIndex(0).isInt());
    EXPECT_EQ(intValue(ids, 0), -5);
    EXPECT_EQ(intValue(ids, 1), INT32_MAX);
}

TEST(CategoryHelpersTest, DictionaryIntKeysAndDefaults) {
    fnd::Dictionary ui;
    setInt(ui, 3, 5);
    setInt(ui, -9, "state");
    ui.setObject(Value("Ann"), "1"); // a string key, not the number 1
    ui.setObject(Value(), 8);        // a stored null

    EXPECT_EQ(objectForInt(ui, 5), Value(3));
    EXPECT_TRUE(objectForInt(ui, 5).isInt());
    EXPECT_TRUE(objectForInt(ui, 1).isNull()); // "1" is another key
    EXPECT_TRUE(objectForInt(ui, 6).isNull());

    EXPECT_TRUE(containsKey(ui, 5));
    EXPECT_TRUE(containsKey(ui, "1"));
    EXPECT_FALSE(containsKey(ui, 1));
    EXPECT_TRUE(containsKey(ui, 8)); // a null counts as stored

    EXPECT_EQ(intForKey(ui, "state"), -9);
    EXPECT_EQ(intForKey(ui, 5), 3);
    EXPECT_EQ(intForKey(ui, "missing"), 0);
    EXPECT_EQ(intForKey(ui, 8), 0);
    setInt(ui, 4, 5); // replaces in place
    EXPECT_EQ(intForKey(ui, 5), 4);
    EXPECT_EQ(ui.count(), 4u);
}

TEST(CategoryHelpersTest, StringContainsTreatsNilAsNo) {
    struct Case {
        Value receiver;
        Value other;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"zelvan://game?id=3", "game", true},
        {"zelvan://game?id=3", "Game", false},
        {"abc", "abc", true},
        {"abc", "abcd", false},
        {"abc", "", false},
        {"", "", false},
        {Value(), "a", false},
        {"a", Value(), false},
        {Value(), Value(), false},
        {Value(12), "1", false},
        {"\xe6\x9d\x8e\xe5\x9b\x9b", "\xe5\x9b\x9b", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(contains(c.receiver, c.other), c.expected)
            << c.receiver.description() << " / " << c.other.description();
    }
}

TEST(CategoryHelpersTest, ZlibAndGzipRoundTripsCapsAndCorruptStreams) {
    Bytes text;
    for (int i = 0; i < 200; ++i) {
        fnd::append(text, "line " + std::to_string(i) + " of the chat log\n");
    }

    Bytes z = zlibDeflate(text);
    Bytes gz = gzipDeflate(text);
    ASSERT_GE(gz.size(), 18u);
    EXPECT_EQ(gz[0], 0x1f); // gzip magic
    EXPECT_EQ(gz[1], 0x8b);
    EXPECT_EQ(z[0] & 0x0f, 8); // zlib header: deflate method
    EXPECT_LT(z.size(), text.size());
    EXPECT_EQ(zlibInflate(z, text.size()), text);
    EXPECT_EQ(gzipInflate(gz, text.size()), text);
    EXPECT_EQ(zlibInflate(zlibDeflate({}), 0), Bytes{});
    EXPECT_EQ(gzipInflate(gzipDeflate({}), 0), Bytes{});

    // A compressed packet (command 1000 carries a zlib stream of an encoded packet).
    Value packet = Value::array({3, 1001, "hello", Value::dictionary({{1, "Ann"}})});
    auto inflated = zlibInflate(zlibDeflate(dumps(packet)), 1 << 20);
    ASSERT_TRUE(inflated.ok());
    EXPECT_EQ(loads(*inflated), packet);

    EXPECT_EQ(zlibInflate(z, text.size() - 1).error().code(), fnd::kParseTooLarge);
    EXPECT_EQ(gzipInflate(gz, text.size() - 1).error().code(), fnd::kParseTooLarge);

    Bytes badCrc = gz;
    badCrc[gz.size() - 5] ^= 0x01; // the trailer's CRC-32
    Bytes badLength = gz;
    badLength[gz.size() - 1] ^= 0x01; // the trailer's length
    Bytes truncated(gz.begin(), gz.end() - 4);
    Bytes trailing = gz;
    trailing.push_back(0);
    Bytes flipped = z;
    flipped[z.size() / 2] ^= 0xff;
    const std::vector<Bytes> badGzip = {badCrc, badLength, truncated, trailing, {}, {0x1f, 0x8b}, bytesOf("plain"), z};
    for (const Bytes& bad : badGzip) {
        EXPECT_FALSE(gzipInflate(bad, 1 << 20).ok());
    }
    EXPECT_EQ(gzipInflate(truncated, 1 << 20).error().localizedDescription(),
              "stream is truncated at offset " + std::to_string(truncated.size()));
    EXPECT_EQ(gzipInflate(trailing, 1 << 20).error().localizedDescription(),
              "stray bytes follow the stream at offset " + std::to_string(gz.size()));
    const std::vector<Bytes> badZlib = {flipped, Bytes(z.begin(), z.end() - 1), {}, {0x78}, gz};
    for (const Bytes& bad : badZlib) {
        EXPECT_FALSE(zlibInflate(bad, 1 << 20).ok());
    }
}

TEST(CategoryHelpersTest, Base64VectorsAndStrictDecoding) {
    const std::vector<std::pair<std::string, std::string>> vectors = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(base64Encode(bytesOf(plain)), encoded);
        EXPECT_EQ(base64Decode(encoded), bytesOf(plain)) << encoded;
    }
    Bytes all;
    for (int i = 0; i < 256; ++i) {
        all.push_back(static_cast<uint8_t>(i));
    }
    std::string allText = base64Encode(all);
    EXPECT_EQ(allText.substr(allText.size() - 12), "+fr7/P3+/w==");
    EXPECT_EQ(base64Decode(allText), all);

    const std::vector<std::string> bad = {
        "Zg=",
        "Zg",
        "Z",
        "Z===",
        "====",
        "Zm9v\n",
        " Zm9v",
        "Zm9vYg=a",
        "Zg==Zg==",
        "Zh==",
        "Zm9=",
        "Zm-v",
        "Zm_v",
        "Zm9v====",
        "\xff\xff\xff\xff",
        std::string("Zm\0v", 4),
    };
    for (const std::string& text : bad) {
        EXPECT_FALSE(base64Decode(text).ok()) << text;
    }
    // The first character at fault, and why.
    const std::vector<std::pair<std::string, std::string>> refusals = {
        {"Zm9vZg=", "length 7 is not a multiple of 4 at offset 4"},
        {"Zm9v Zg==", "length 9 is not a multiple of 4 at offset 8"},
        {"Zm9vZ-==", "character 0x2d outside the alphabet at offset 5"},
        {"Zm9vZ===", "padding before the end at offset 5"},
        {"Zm9vZh==", "non-zero bits after the last byte at offset 5"},
        {"Zm9=Zm9v", "padding before the end at offset 3"},
    };
    for (const auto& [text, description] : refusals) {
        auto decoded = base64Decode(text);
        ASSERT_FALSE(decoded.ok()) << text;
        EXPECT_EQ(decoded.error().localizedDescription(), description);
    }
}

TEST(CategoryHelpersTest, LenientBase64SkipsStrayCharactersAndStopsAtPadding) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Zm9v\r\nYmFy", "foobar"},      // line breaks skipped
        {" Zm 9v\tYm Fy ", "foobar"},    // blanks skipped
        {"Zm-9v_Ym*Fy", "foobar"},       // any other stray character too
        {"Zm9vYg==", "foob"},            // two "=": one byte from the group
        {"Zm9vYmE=", "fooba"},           // one "=": two bytes
        {"Zm9vYg=ignored Zm9v", "foob"}, // the first "=" ends the text
        {"Zm9vYmE", "foo"},              // a partial group without "=" is dropped
        {"Zm9vY=", "foo`"},              // one value pending still gives a byte
        {"Zm9v=", "foo"},                // nothing pending: nothing more
        {"", ""},
        {"====", ""},
    };
    for (const auto& [text, plain] : cases) {
        EXPECT_EQ(base64DecodeLenient(text), bytesOf(plain)) << text;
    }
    Bytes all;
    for (int i = 0; i < 256; ++i) {
        all.push_back(static_cast<uint8_t>(i));
    }
    std::string wrapped = base64Encode(all);
    for (size_t at = 76; at < wrapped.size(); at += 78) {
        wrapped.insert(at, "\r\n");
    }
    EXPECT_EQ(base64DecodeLenient(wrapped), all);
}

} // namespace
} // namespace zelvan
