// Text layout under SyntheticMetrics (10-pt font: 5.5 per code point, 10 per wide character, lines of
// 12): wrapping, cuts, paragraphs, the lines that fit, each truncation and the shrink-to-fit size.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/foundation/utf16.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/text_layout.h"
#include "platform/graphics/text_metrics.h"

namespace gfx {
namespace {

class TextLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { installTextMetrics(std::make_shared<SyntheticMetrics>()); }
    void TearDown() override { installTextMetrics(nullptr); }

    static std::vector<std::string> lines(const TextLayout& layout) {
        std::vector<std::string> out;
        for (const TextLine& line : layout.lines) {
            out.push_back(line.text);
        }
        return out;
    }

    std::shared_ptr<Font> font_ = Font::systemFontOfSize(10);
};

// No code unit of the text is half of a surrogate pair left alone.
bool hasNoLoneSurrogate(const std::string& s) {
    const std::u16string u = fnd::toUtf16(s);
    for (size_t i = 0; i < u.size(); ++i) {
        if (u[i] >= 0xD800 && u[i] <= 0xDBFF) {
            if (i + 1 >= u.size() || u[i + 1] < 0xDC00 || u[i + 1] > 0xDFFF) {
                return false;
            }
            ++i;
        } else if (u[i] >= 0xDC00 && u[i] <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

TEST_F(TextLayoutTest, LaysOutTheTable) {
    constexpr double kTall = 1000;
    using M = LineBreakMode;
    struct Case {
        const char* text;
        Size box;
        M mode;
        std::vector<std::string> lines;
        Size size;
    };
    const Case cases[] = {
        {"hello world", {40, kTall}, M::WordWrap, {"hello ", "world"}, {28, 24}},
        {"hello world", {100, kTall}, M::WordWrap, {"hello world"}, {61, 12}},
        {"well-known fact", {40, kTall}, M::WordWrap, {"well-", "known ", "fact"}, {28, 36}},
        {"abcdefghij", {20, kTall}, M::WordWrap, {"abc", "def", "ghi", "j"}, {17, 48}},
        {"ab abcdefghij", {20, kTall}, M::WordWrap, {"ab ", "abc", "def", "ghi", "j"}, {17, 60}},
        {"hello world", {40, kTall}, M::CharacterWrap, {"hello w", "orld"}, {39, 24}},
        // Paragraphs: \n, \r\n, \r and U+2028; an empty paragraph is an empty line.
        {"ab\n", {100, kTall}, M::WordWrap, {"ab", ""}, {11, 24}},
        {"a\r\nb\rc\u2028d", {100, kTall}, M::WordWrap, {"a", "b", "c", "d"}, {6, 48}},
        {"a\n\nb", {100, kTall}, M::WordWrap, {"a", "", "b"}, {6, 36}},
        {"", {100, kTall}, M::WordWrap, {""}, {0, 12}},
        // Width 1 and width 0 still take a code point per line; spaces hang.
        {"ab c", {1, kTall}, M::WordWrap, {"a", "b ", "c"}, {6, 36}},
        {"ab", {0, kTall}, M::CharacterWrap, {"a", "b"}, {6, 24}},
        // East Asian wide characters break on both sides.
        {"日本語テキスト", {35, kTall}, M::WordWrap, {"日本語", "テキス", "ト"}, {30, 36}},
        {"ab日本", {25, kTall}, M::WordWrap, {"ab日", "本"}, {21, 24}},
        {"한국어", {20, kTall}, M::WordWrap, {"한국", "어"}, {20, 24}},
        // Lines that fit: floor(height / 12), at least one.
        {"hello world", {40, 5}, M::WordWrap, {"hello "}, {28, 12}},
        {"a b c d", {6, 24.5}, M::WordWrap, {"a ", "b "}, {6, 24}},
        // Truncation of the last visible line.
        {"hello world", {40, 12}, M::TailTruncation, {"hello …"}, {39, 12}},
        {"hello world", {40, 12}, M::HeadTruncation, {"… world"}, {39, 12}},
        {"hello world", {40, 12}, M::MiddleTruncation, {"hel…rld"}, {39, 12}},
        {"abcdefghij", {35, 12}, M::MiddleTruncation, {"abc…ij"}, {33, 12}},
        {"hello world", {40, 12}, M::Clip, {"hello w"}, {39, 12}},
        {"hello world", {100, 12}, M::TailTruncation, {"hello world"}, {61, 12}},
        {"one two three four", {40, 24}, M::TailTruncation, {"one two ", "three …"}, {39, 24}},
        {"one\ntwo\nthree", {100, 24}, M::TailTruncation, {"one", "two…"}, {22, 24}},
        {"one\ntwo\nthree", {100, 24}, M::HeadTruncation, {"one", "…two"}, {22, 24}},
        {"one\ntwo\nthree", {100, 24}, M::WordWrap, {"one", "two"}, {17, 24}},
        {"hello", {3, 12}, M::TailTruncation, {"…"}, {6, 12}},
        // Surrogate pairs (U+1F600, 5.5 wide) are never split.
        {"😀😀😀😀😀", {20, 12}, M::TailTruncation, {"😀😀…"}, {17, 12}},
        {"😀😀😀😀😀", {20, 12}, M::HeadTruncation, {"…😀😀"}, {17, 12}},
        {"😀😀😀😀😀", {20, 12}, M::MiddleTruncation, {"😀…😀"}, {17, 12}},
        {"😀😀😀😀😀", {12, kTall}, M::CharacterWrap, {"😀😀", "😀😀", "😀"}, {11, 36}},
        {"𠀀𠀀𠀀", {15, kTall}, M::WordWrap, {"𠀀", "𠀀", "𠀀"}, {10, 36}},
        // Combining marks and zero-width characters take no room.
        {"e\u0301e\u0301 x", {12, kTall}, M::WordWrap, {"e\u0301e\u0301 ", "x"}, {11, 24}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << c.text << "\" in " << c.box.width << "x" << c.box.height << " mode "
                                          << static_cast<int>(c.mode));
        const TextLayout layout = layoutText(c.text, font_, c.box, c.mode);
        EXPECT_EQ(lines(layout), c.lines);
        EXPECT_EQ(layout.size, c.size);
        EXPECT_EQ(sizeWithFont(c.text, font_, c.box, c.mode), c.size);
    }
}

TEST_F(TextLayoutTest, MeasuresOneLine) {
    EXPECT_EQ(sizeWithFont("hello", font_), (Size{28, 12}));
    EXPECT_EQ(sizeWithFont("a\nb\r\nc", font_), (Size{28, 12})); // breaks count as spaces
    EXPECT_EQ(sizeWithFont("ab  ", font_), (Size{22, 12}));      // trailing spaces count on one line
    EXPECT_EQ(sizeWithFont("", font_), (Size{0, 12}));
    EXPECT_EQ(sizeWithFont("ab", Font::boldSystemFontOfSize(10)), (Size{12, 12}));
    EXPECT_EQ(sizeWithFont("0123456789", Font::systemFontOfSize(14)), (Size{77, 17})); // 10 x 7.7 exactly
    EXPECT_EQ(layoutSingleLine("a\nb", font_).lines.at(0).text, "a b");
    EXPECT_EQ(sizeWithFont("abc", nullptr), (Size{0, 0}));
    EXPECT_TRUE(layoutText("abc", nullptr, {100, 100}, LineBreakMode::WordWrap).lines.empty());
}

TEST_F(TextLayoutTest, HoldsItsPropertiesOnRandomText) {
    std::mt19937 rng(7);
    const std::vector<std::string> pieces = {"a", "b", "w", " ", " ", "-", "日", "😀", "é", "\n", "xyz"};
    const LineBreakMode truncations[] = {LineBreakMode::TailTruncation, LineBreakMode::HeadTruncation,
                                         LineBreakMode::MiddleTruncation};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int n = static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i) {
            text += pieces[rng() % pieces.size()];
        }
        const double width = 10 + static_cast<double>(rng() % 80);
        SCOPED_TRACE(::testing::Message() << '"' << text << "\" at width " << width);

        // Wrapping never exceeds the width (a line of width > 10 always holds a whole code point).
        const TextLayout wrapped = layoutText(text, font_, {width, 10000}, LineBreakMode::WordWrap);
        for (const TextLine& line : wrapped.lines) {
            EXPECT_LE(line.width, width + 1e-9) << line.text;
            EXPECT_TRUE(hasNoLoneSurrogate(line.text));
        }

        // Appending never makes the text measure smaller: one line wider, wrapped not shorter.
        const std::string longer = text + pieces[rng() % pieces.size()];
        EXPECT_GE(sizeWithFont(longer, font_).width, sizeWithFont(text, font_).width);
        EXPECT_GE(sizeWithFont(longer, font_, {width, 10000}, LineBreakMode::WordWrap).height, wrapped.size.height);

        // Truncating to one line fits the width, and adds the ellipsis whenever the text did not fit.
        const bool fitsOneLine = wrapped.lines.size() == 1;
        for (LineBreakMode mode : truncations) {
            const TextLayout t = layoutText(text, font_, {width, 12}, mode);
            ASSERT_EQ(t.lines.size(), 1u);
            EXPECT_LE(t.lines[0].width, width + 1e-9) << t.lines[0].text;
            EXPECT_EQ(t.lines[0].text.find("…") != std::string::npos, !fitsOneLine) << t.lines[0].text;
            EXPECT_TRUE(hasNoLoneSurrogate(t.lines[0].text));
        }
    }
}

TEST_F(TextLayoutTest, ShrinksFontToFit) {
    // "abcdefghij" is 5.5 x size wide at 0.55 per point.
    const auto big = Font::systemFontOfSize(20);
    EXPECT_EQ(fontSizeThatFits("abcdefghij", big, 200, 8), 20); // fits as is
    EXPECT_EQ(fontSizeThatFits("abcdefghij", big, 90, 8), 16);  // 16 x 5.5 = 88
    EXPECT_EQ(fontSizeThatFits("abcdefghij", big, 88, 8), 16);
    EXPECT_EQ(fontSizeThatFits("abcdefghij", big, 87.9, 8), 15);
    EXPECT_EQ(fontSizeThatFits("abcdefghij", big, 10, 8), 8); // the minimum; the label truncates
    EXPECT_EQ(fontSizeThatFits("abcdefghij", big, 10, 25), 20);
    EXPECT_EQ(fontSizeThatFits("abcdefghij", Font::systemFontOfSize(20.5), 90, 8), 15.5);
}

} // namespace
} // namespace gfx
