// Measuring and laying out text: one-line sizes, the paragraph/wrap/truncate layout that product
// layouts depend on, and the shrink-to-fit font size of labels. Pure functions of the text, the font
// and the installed TextMetrics; safe from any thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"

namespace gfx {

enum class LineBreakMode {
    WordWrap = 0,
    CharacterWrap = 1,
    Clip = 2,
    HeadTruncation = 3,
    TailTruncation = 4,
    MiddleTruncation = 5,
};

struct TextLine {
    std::string text; // what the line shows (a truncated line includes its U+2026)
    double width = 0; // its width, trailing spaces excluded (not rounded)
};

struct TextLayout {
    std::vector<TextLine> lines; // the lines that fit, top to bottom
    double lineHeight = 0;
    double ascender = 0;
    Size size; // (widest line, lines x lineHeight), each rounded up to whole points
};

// One line: line breaks count as spaces; the width includes every space. Rounded up.
Size sizeWithFont(std::string_view text, const std::shared_ptr<Font>& font);
// The layout's size within `constrainedSize` (see layoutText).
Size sizeWithFont(std::string_view text, const std::shared_ptr<Font>& font, Size constrainedSize, LineBreakMode mode);

// The one line sizeWithFont(text, font) measures.
TextLayout layoutSingleLine(std::string_view text, const std::shared_ptr<Font>& font);

// Lays text out within constrainedSize:
// 1. paragraphs split at \n, \r\n, \r and U+2028; an empty paragraph is one empty line;
// 2. lines fill greedily. WordWrap (and Clip and the truncation modes) break after runs of spaces,
//    after '-' and on both sides of East Asian wide characters; CharacterWrap at any code point. A
//    line's width excludes trailing spaces. A word too long for an empty line is cut at code points,
//    taking as many as fit and always at least one;
// 3. floor(height / lineHeight) lines fit, at least one;
// 4. when text remains after the last line that fits, that line becomes (from its start to the end
//    of its paragraph): TailTruncation the longest prefix plus U+2026, HeadTruncation U+2026 plus the
//    longest suffix, MiddleTruncation prefix U+2026 suffix (the prefix taking the odd code point),
//    Clip the longest prefix that fits;
// 5. the size is (widest line, lines x lineHeight), each rounded up.
// A null font gives an empty layout.
TextLayout layoutText(std::string_view text, const std::shared_ptr<Font>& font, Size constrainedSize,
                      LineBreakMode mode);

// The largest size, stepping down by whole points from the font's size to minimumFontSize, at which
// the text fits `width` on one line; minimumFontSize when none does (the caller then truncates). A
// minimum at or above the font's size gives the font's size.
double fontSizeThatFits(std::string_view text, const std::shared_ptr<Font>& font, double width, double minimumFontSize);

} // namespace gfx
