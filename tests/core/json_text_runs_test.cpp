// The JSON readers' and writers' run finding: the first byte that ends a run is found wherever it sits in
// an eight-byte word and whatever follows it, the UTF-8 check accepts exactly well-formed sequences, and
// the writers' escaping is the same across word boundaries as within a few bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/json_text_runs.h"
#include "platform/foundation/encodings.h"

namespace zelvan::jsonscan {
namespace {

template <RunStops S>
size_t byteByByte(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && !S.stops(static_cast<uint8_t>(text[i]))) {
        ++i;
    }
    return i;
}

// Every byte value at every offset of two words and more, before plain bytes that sit next to the stop
// bytes (where a borrow between bytes could mark one falsely) and after a second stop.
template <RunStops S>
void checkEveryStopPlacement() {
    const std::string plain = "!#[].0 \x7f"
                              "a~";
    const std::string after[] = {"", "\x20!#[]", "\"\\\x1f\x80/", std::string(1, '\0') + "0000000000"};
    for (int b = 0; b < 256; ++b) {
        for (size_t offset = 0; offset < 20; ++offset) {
            for (const std::string& tail : after) {
                std::string text;
                for (size_t i = 0; i < offset; ++i) {
                    text.push_back(plain[i % plain.size()]);
                }
                text.push_back(static_cast<char>(b));
                text += tail;
                ASSERT_EQ(plainRunLength<S>(text.data(), text.size()), byteByByte<S>(text))
                    << "byte " << b << " at " << offset;
            }
        }
    }
}

TEST(JsonTextRunsTest, FindsTheFirstStopWhereverItSits) {
    checkEveryStopPlacement<RunStops{false, true, {'"', '\\'}}>();
    checkEveryStopPlacement<RunStops{true, true, {'"', '\\'}}>();
    checkEveryStopPlacement<RunStops{true, false, {'"', '\\', '/'}}>();
    checkEveryStopPlacement<RunStops{true, false, {'"', '\\'}}>();
}

TEST(JsonTextRunsTest, Utf8SequenceLengthAcceptsExactlyWellFormedSequences) {
    const unsigned char tails[] = {0x22, 0x7F, 0x80, 0xBF, 0xC0};
    for (int b0 = 0; b0 < 256; ++b0) {
        const size_t want = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
        for (int b1 = 0; b1 < 256; ++b1) {
            for (unsigned char b2 : tails) {
                for (unsigned char b3 : tails) {
                    const char bytes[] = {static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(b2),
                                          static_cast<char>(b3)};
                    const bool wellFormed = fnd::isValidUtf8(std::string_view(bytes, want));
                    ASSERT_EQ(utf8SequenceLength(bytes, 4), wellFormed ? want : size_t{0})
                        << b0 << " " << b1 << " " << b2;
                    if (want > 1) { // cut short
                        ASSERT_EQ(utf8SequenceLength(bytes, want - 1), 0U);
                    }
                }
            }
        }
    }
}

TEST(JsonTextRunsTest, EscapesTheSameAcrossWordBoundaries) {
    const std::string text = std::string("plain text of two words/") + '\x01' + "\"quoted\" back\\slash\ttab\nline" +
                             '\x1f' + "caf\xC3\xA9 \xF0\x9F\x98\x80 and the end";
    std::string slash;
    appendEscaped<true>(slash, text);
    EXPECT_EQ(slash, "plain text of two words\\/\\u0001\\\"quoted\\\" back\\\\slash\\ttab\\nline\\u001f"
                     "caf\xC3\xA9 \xF0\x9F\x98\x80 and the end");
    std::string checked;
    ASSERT_TRUE(appendEscapedUtf8<false>(checked, text));
    EXPECT_EQ(checked, "plain text of two words/\\u0001\\\"quoted\\\" back\\\\slash\\ttab\\nline\\u001f"
                       "caf\xC3\xA9 \xF0\x9F\x98\x80 and the end");
    // Each ill-formed sequence, early or late in a long text, is refused.
    for (const std::string bad : {"\xFF", "\xC3(", "\xED\xA0\x80", "\xE2\x82"}) {
        std::string out;
        EXPECT_FALSE(appendEscapedUtf8<false>(out, "a long enough lead-in " + bad + " and more"));
        EXPECT_FALSE(appendEscapedUtf8<false>(out, bad + " a long enough tail"));
    }
}

} // namespace
} // namespace zelvan::jsonscan
