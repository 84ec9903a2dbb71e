// Log previews of outside data: short text untouched, long text cut with its length, control bytes and
// broken UTF-8 escaped without splitting a character, and huge values rendered within the budget.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/log_preview.h"

namespace fnd {
namespace {

// Whether `s` is well-formed UTF-8 (each lead byte followed by the continuation bytes it announces).
bool wellFormedUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
        if (n == 0 || i + n > s.size()) {
            return false;
        }
        for (size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += n;
    }
    return true;
}

TEST(LogPreviewTest, TextsAndBytesAreEscapedAndCutWithTheirLength) {
    EXPECT_EQ(logPreview("connection #3 sent a packet"), "connection #3 sent a packet");
    EXPECT_EQ(logPreview(std::string("caf\xC3\xA9 \xE2\x82\xAC")), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(logPreview(std::string("a\nb\r\tc\\d\x01\x7F", 10)), "a\\nb\\r\\tc\\\\d\\x01\\x7F");
    EXPECT_EQ(logPreview(Bytes{'o', 'k', 0x00, 0xFF, 0xC3}), "ok\\x00\\xFF\\xC3");
    // A C1 control is as invisible as a C0 one.
    EXPECT_EQ(logPreview(std::string("x\xC2\x85y")), "x\\xC2\\x85y");

    std::string big(2097152, 'a');
    EXPECT_EQ(logPreview(big), std::string(200, 'a') + "\xE2\x80\xA6 (2097152 bytes)");
    EXPECT_EQ(logPreview(big, 3), "aaa\xE2\x80\xA6 (2097152 bytes)");

    // A three-byte character at the cut stays whole or goes whole, never half.
    std::string euros;
    for (int i = 0; i < 100; ++i) {
        euros += "\xE2\x82\xAC";
    }
    for (size_t limit : {198, 199, 200, 201}) {
        std::string shown = logPreview(euros, limit);
        EXPECT_TRUE(wellFormedUtf8(shown)) << limit;
        EXPECT_EQ(shown, euros.substr(0, limit / 3 * 3) + "\xE2\x80\xA6 (300 bytes)") << limit;
    }
    // An escape is never cut in the middle either.
    EXPECT_EQ(logPreview(std::string(10, '\x01'), 10), "\\x01\\x01\xE2\x80\xA6 (10 bytes)");
}

TEST(LogPreviewTest, ValuesReadAsDescriptionsAndHugeOnesStayWithinTheBudget) {
    Value packet = Value::array({400, 7, "line\none", Value::dictionary({{"name", "a b"}, {"n", 2}}), Bytes{1, 2, 3}});
    EXPECT_EQ(logPreview(packet), "( 400, 7, \"line\\none\", { name = \"a b\"; n = 2; }, <010203> )");
    EXPECT_EQ(logPreview(Value("two\nlines")), "two\\nlines");
    EXPECT_EQ(logPreview(Value()), "<null>");

    auto items = std::make_shared<Array>(std::vector<Value>(5000000, Value(123456)));
    std::string shown = logPreview(Value(items));
    EXPECT_TRUE(shown.starts_with("( 123456, 123456, ")) << shown;
    EXPECT_TRUE(shown.ends_with("\xE2\x80\xA6 (5000000 elements)")) << shown;
    EXPECT_LE(shown.size(), kLogPreviewBytes + 40);

    Value frame = Value::array({400, 9, Value(Bytes(2097152, 0xAB))});
    shown = logPreview(frame);
    EXPECT_TRUE(shown.starts_with("( 400, 9, <abababab abababab")) << shown;
    EXPECT_TRUE(shown.ends_with("\xE2\x80\xA6 (3 elements)")) << shown;
    EXPECT_LE(shown.size(), kLogPreviewBytes + 40);

    std::string escapes;
    for (int i = 0; i < 12; ++i) {
        escapes += "\\x02"; // twelve four-byte escapes fill 48 of the 50 bytes
    }
    EXPECT_EQ(logPreview(Value(std::string(100000, '\x02')), 50), escapes + "\xE2\x80\xA6 (100000 bytes)");
}

} // namespace
} // namespace fnd
