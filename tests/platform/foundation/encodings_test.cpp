// Strict and lossy decoding of UTF-8, ASCII, Latin-1, UTF-16 and UTF-32, and the encoders back.
#include <gtest/gtest.h>

#include "platform/foundation/encodings.h"

namespace fnd {
namespace {

Bytes bytesOf(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

const std::string kFffd = "\xEF\xBF\xBD";

TEST(EncodingsTest, StrictUtf8AcceptsOnlyWellFormedSequences) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain", true},
        {"\x7F", true},
        {"\xC2\x80", true},             // U+0080
        {"\xDF\xBF", true},             // U+07FF
        {"\xE0\xA0\x80", true},         // U+0800
        {"\xED\x9F\xBF", true},         // U+D7FF
        {"\xEE\x80\x80", true},         // U+E000
        {"\xEF\xBF\xBF", true},         // U+FFFF
        {"\xF0\x90\x80\x80", true},     // U+10000
        {"\xF4\x8F\xBF\xBF", true},     // U+10FFFF
        {std::string("a\0b", 3), true}, // NUL is a character
        {"\xC0\x80", false},            // overlong NUL
        {"\xC1\xBF", false},            // overlong
        {"\xE0\x9F\xBF", false},        // overlong U+07FF
        {"\xF0\x8F\xBF\xBF", false},    // overlong U+FFFF
        {"\xED\xA0\x80", false},        // surrogate U+D800
        {"\xED\xBF\xBF", false},        // surrogate U+DFFF
        {"\xF4\x90\x80\x80", false},    // U+110000
        {"\xF5\x80\x80\x80", false},
        {"\xE2\x82", false},        // truncated
        {"abc\xF0\x9F\x98", false}, // truncated at the end
        {"\x80", false},            // lone continuation byte
        {"\xC3\x28", false},
        {"\xFE\xFF", false},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeUtf8(bytesOf(c.bytes));
        EXPECT_EQ(decoded.has_value(), c.valid) << testing::PrintToString(c.bytes);
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid);
        if (decoded) {
            EXPECT_EQ(*decoded, c.bytes);
        }
        const std::string lossy = decodeUtf8Lossy(bytesOf(c.bytes));
        EXPECT_TRUE(isValidUtf8(lossy));
        if (c.valid) {
            EXPECT_EQ(lossy, c.bytes);
        }
    }
}

TEST(EncodingsTest, LossyUtf8ReplacesEachMaximalSubpart) {
    struct Case {
        std::string bytes, text;
    };
    const Case cases[] = {
        // a, truncated 4-byte, truncated 3-byte, lone lead, b, continuation, c, two continuations, d
        {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
         "a" + kFffd + kFffd + kFffd + "b" + kFffd + "c" + kFffd + kFffd + "d"},
        {"\xED\xA0\x80", kFffd + kFffd + kFffd}, // a surrogate's bytes are three pieces
        {"\xF0\x80\x80", kFffd + kFffd + kFffd}, // overlong lead stands alone
        {"\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
        {"\xE2\x82", kFffd},
        {"\xE2\x82x", kFffd + "x"},
        {"\xC3\xA9\xFF\xC3\xA9", "\xC3\xA9" + kFffd + "\xC3\xA9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeUtf8Lossy(bytesOf(c.bytes)), c.text) << testing::PrintToString(c.bytes);
    }
}

TEST(EncodingsTest, AsciiAndLatin1) {
    EXPECT_EQ(decodeAscii(bytesOf("Hello, world!\x7F")), "Hello, world!\x7F");
    EXPECT_EQ(decodeAscii(Bytes{}), "");
    EXPECT_EQ(decodeAscii(bytesOf("caf\xC3\xA9")), std::nullopt);
    EXPECT_EQ(decodeAscii(Bytes{0x41, 0x80}), std::nullopt);

    EXPECT_EQ(decodeLatin1(Bytes{0x41, 0xE9, 0xFF, 0x00}), std::string("A\xC3\xA9\xC3\xBF\0", 6));
    EXPECT_EQ(encodeLatin1("A\xC3\xA9\xC3\xBF"), (Bytes{0x41, 0xE9, 0xFF}));
    EXPECT_EQ(encodeLatin1("\xE2\x82\xAC"), std::nullopt); // € is not in Latin-1
    EXPECT_EQ(encodeLatin1("A\xE9"), std::nullopt);        // ill-formed UTF-8 input
    Bytes every(256);
    for (size_t i = 0; i < every.size(); ++i) {
        every[i] = static_cast<uint8_t>(i);
    }
    EXPECT_EQ(encodeLatin1(decodeLatin1(every)), every);
}

TEST(EncodingsTest, Utf16InBothByteOrders) {
    const std::string text = "A\xF0\x9F\x98\x80\xC3\xA9"; // A, U+1F600, é
    const Bytes le{0x41, 0x00, 0x3D, 0xD8, 0x00, 0xDE, 0xE9, 0x00};
    const Bytes be{0x00, 0x41, 0xD8, 0x3D, 0xDE, 0x00, 0x00, 0xE9};
    EXPECT_EQ(encodeUtf16(text, ByteOrder::LittleEndian), le);
    EXPECT_EQ(encodeUtf16(text, ByteOrder::BigEndian), be);
    EXPECT_EQ(decodeUtf16(le, ByteOrder::LittleEndian), text);
    EXPECT_EQ(decodeUtf16(be, ByteOrder::BigEndian), text);
    EXPECT_EQ(encodeUtf16("\xFF", ByteOrder::BigEndian), (Bytes{0xFF, 0xFD}));
    EXPECT_EQ(decodeUtf16(Bytes{0xFE, 0xFF, 0x00, 0x41}, ByteOrder::BigEndian), "\xEF\xBB\xBF"
                                                                                "A"); // BOM kept

    struct Bad {
        Bytes bytes; // big-endian
        std::string lossy;
    };
    const Bad bad[] = {
        {{0x00, 0x41, 0x00}, "A" + kFffd},         // odd length
        {{0xD8, 0x3D}, kFffd},                     // high surrogate at the end
        {{0xD8, 0x3D, 0x00, 0x41}, kFffd + "A"},   // high surrogate before a non-surrogate
        {{0xDE, 0x00, 0xD8, 0x3D}, kFffd + kFffd}, // pair in the wrong order
        {{0x00, 0x41, 0xDC, 0x00, 0x00, 0x42}, "A" + kFffd + "B"},
    };
    for (const auto& b : bad) {
        EXPECT_EQ(decodeUtf16(b.bytes, ByteOrder::BigEndian), std::nullopt);
        EXPECT_EQ(decodeUtf16Lossy(b.bytes, ByteOrder::BigEndian), b.lossy);
    }
    EXPECT_EQ(decodeUtf16(Bytes{}, ByteOrder::LittleEndian), "");
}

TEST(EncodingsTest, Utf32InBothByteOrders) {
    const std::string text = "A\xF0\x9F\x98\x80";
    const Bytes le{0x41, 0, 0, 0, 0x00, 0xF6, 0x01, 0x00};
    const Bytes be{0, 0, 0, 0x41, 0x00, 0x01, 0xF6, 0x00};
    EXPECT_EQ(encodeUtf32(text, ByteOrder::LittleEndian), le);
    EXPECT_EQ(encodeUtf32(text, ByteOrder::BigEndian), be);
    EXPECT_EQ(decodeUtf32(le, ByteOrder::LittleEndian), text);
    EXPECT_EQ(decodeUtf32(be, ByteOrder::BigEndian), text);
    EXPECT_EQ(decodeUtf32(Bytes{0, 0x10, 0xFF, 0xFF}, ByteOrder::BigEndian), "\xF4\x8F\xBF\xBF");

    struct Bad {
        Bytes bytes; // little-endian
        std::string lossy;
    };
    const Bad bad[] = {
        {{0x00, 0x00, 0x11, 0x00}, kFffd}, // U+110000
        {{0x00, 0xD8, 0x00, 0x00}, kFffd}, // surrogate
        {{0xFF, 0xFF, 0xFF, 0xFF}, kFffd},
        {{0x41, 0, 0, 0, 0x42}, "A" + kFffd}, // trailing piece
    };
    for (const auto& b : bad) {
        EXPECT_EQ(decodeUtf32(b.bytes, ByteOrder::LittleEndian), std::nullopt);
        EXPECT_EQ(decodeUtf32Lossy(b.bytes, ByteOrder::LittleEndian), b.lossy);
    }
}

} // namespace
} // namespace fnd
