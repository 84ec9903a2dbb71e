// The natives of strings and bytes, run from assembled scripts: numbers to text and back, trimming,
// the last-match search, cutting, counting and case on UTF-16 code units (Chinese text and emoji
// included), the value codec, MD5, lengths, reversals and counts.
#include <gtest/gtest.h>

#include "platform/foundation/testing/log_capture.h"
#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

using testing::bytes;
using testing::runMain;

struct Case {
    std::string body;
    fnd::Value expected;
};

void expectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(runMain(c.body), c.expected) << c.body;
    }
}

const fnd::Value null;

// A call of native `id` on string literals and integers given as assembler lines.
std::string call(int id, std::initializer_list<std::string> pushes) {
    std::string body;
    for (const std::string& p : pushes) {
        body += p + "\n";
    }
    return body + "native " + std::to_string(id) + " " + std::to_string(pushes.size()) + "\n ret";
}

std::string str(std::string_view text) {
    return "bytes \"" + std::string(text) + "\"";
}

TEST(NativesTextTest, NumbersAndText) {
    expectAll({
        {call(3, {"push16 321"}), bytes("A")},
        {call(4, {"push -1"}), bytes("ffffffff")},
        {call(4, {"push16 255"}), bytes("ff")},
        {call(7, {"push -12"}), bytes("-12")},
        {call(24, {str("  -42abc")}), -42},
        {call(24, {str("abc")}), 0},
        {call(24, {"push 7"}), 7},
        {call(24, {"mkarray 0"}), null},
        {call(25, {"push16 300"}), 44},
        {call(25, {str("A")}), 65},
        {call(25, {str("")}), null},
        {call(28, {str(" \\tx \\r\\n")}), bytes("x")},
        {call(28, {str(" \\xE4\\xB8\\xAD ")}), bytes("\xE4\xB8\xAD")},
        {call(28, {"push 1"}), null},
        {call(47, {str("abc")}), bytes("900150983cd24fb0d6963f7d28e17f72")},
        {call(10, {str("abc")}), 3},
        {call(10, {"push 1\n push 2\n mkarray 2"}), 2},
        {call(10, {"push 1"}), null},
        {call(21, {str("abc")}), bytes("cba")},
        {call(21, {"push 1\n push 2\n mkarray 2"}), fnd::Value::array({2, 1})},
        {call(22, {"push 1\n push 2\n push 1\n mkarray 3", "push 1"}), 2},
        {call(22, {str("banana"), str("an")}), 3},
        {call(22, {str("banana"), str("")}), null},
        {call(22, {str("banana"), "push 97"}), null},
    });
}

TEST(NativesTextTest, SearchReportsTheLastMatchInTheRange) {
    const std::string haystack = str("abcabcabc");
    std::vector<Case> cases;
    for (int id : {29, 30}) {
        cases.push_back({call(id, {haystack, str("abc")}), 6});
        cases.push_back({call(id, {haystack, str("abc"), "push 0", "push 5"}), 3});
        cases.push_back({call(id, {haystack, str("abc"), "push 0", "push -3"}), 3});
        cases.push_back({call(id, {haystack, str("abc"), "push 4"}), 6});
        cases.push_back({call(id, {haystack, str("abc"), "push 7"}), -1});
        cases.push_back({call(id, {str("aaaa"), str("aa")}), 2});
        cases.push_back({call(id, {haystack, str("x")}), -1});
        cases.push_back({call(id, {str("ab"), str("abc")}), -1});
        cases.push_back({call(id, {haystack, str("")}), 8});
        cases.push_back({call(id, {haystack, "push 1"}), null});
        // Bounds far outside the haystack are clamped to it.
        cases.push_back({call(id, {haystack, str("abc"), "push16 -1000", "push16 1000"}), 6});
        // A needle of 34 bytes is no special case.
        cases.push_back({call(id, {str(std::string(70, 'a')), str(std::string(34, 'a'))}), 36});
    }
    expectAll(cases);
}

TEST(NativesTextTest, CharactersAreUtf16CodeUnits) {
    // 中 文 🙂 x: five code units, the emoji a surrogate pair.
    const std::string text = str("\\xE4\\xB8\\xAD\\xE6\\x96\\x87\\xF0\\x9F\\x99\\x82x");
    expectAll({
        {call(37, {text}), 5},
        {call(37, {"push 1"}), null},
        {call(36, {text, "push 1", "push 2"}), bytes("\xE6\x96\x87")},
        {call(36, {text, "push 2", "push 4"}), bytes("\xF0\x9F\x99\x82")},
        {call(36, {text, "push 4"}), bytes("x")},
        // A cut through the pair leaves the pair out rather than splitting it.
        {call(36, {text, "push 1", "push 3"}), bytes("\xE6\x96\x87")},
        {call(36, {text, "push 3", "push 5"}), bytes("x")},
        // Indexes outside the text, or from past to: null.
        {call(36, {text, "push -1"}), null},
        {call(36, {text, "push 0", "push 6"}), null},
        {call(36, {text, "push 3", "push 2"}), null},
        {call(38, {str("\\xC3\\x84B\\xE4\\xB8\\xAD\\xF0\\x9F\\x99\\x82")}), bytes("\xC3\xA4"
                                                                                  "b\xE4\xB8\xAD\xF0\x9F\x99\x82")},
        {call(39, {str("\\xC3\\xA4b\\xE4\\xB8\\xAD\\xF0\\x9F\\x99\\x82")}), bytes("\xC3\x84"
                                                                                  "B\xE4\xB8\xAD\xF0\x9F\x99\x82")},
        {call(39, {"push 1"}), null},
    });
}

TEST(NativesTextTest, ValuesThroughTheCodec) {
    EXPECT_EQ(runMain("push 1\n bytes \"ab\"\n push 2\n mkarray 1\n mkarray 3\n native 34 1\n native 35 1\n ret"),
              fnd::Value::array({1, bytes("ab"), fnd::Value::array({2})}));
    fnd::testing::LogCapture log;
    EXPECT_TRUE(runMain("bytes \"\\xff\\xff\"\n native 35 1\n ret").isNull());
    EXPECT_TRUE(log.contains("unreadable"));
    EXPECT_TRUE(runMain("push 3\n native 35 1\n ret").isNull());
}

} // namespace
} // namespace zelvan
