// The text layout: paragraphs, greedy line filling, the lines that fit and last-line truncation,
// worked on code points with the advances of the installed TextMetrics.
#include "platform/graphics/text_layout.h"

#include <cmath>
#include <cstdint>

#include "platform/graphics/backends.h"
#include "platform/graphics/code_points.h"
#include "platform/graphics/text_metrics.h"

namespace gfx {
namespace {

constexpr char32_t kEllipsis = 0x2026;
constexpr double kTolerance = 1e-6; // floating-point noise in sums of advances

bool fits(double width, double maxWidth) {
    return width <= maxWidth + kTolerance;
}

bool isLineBreak(char32_t c) {
    return c == '\n' || c == '\r' || c == 0x2028;
}

bool isSpace(char32_t c) {
    return c == ' ';
}

// The code points of a text with their advances and running sums, so any range measures in O(1).
class Measured {
public:
    Measured(std::u32string text, const TextMetrics& metrics, const Font& font) : text_(std::move(text)) {
        std::vector<double> adv(text_.size());
        metrics.advances(font, text_, adv);
        sums_.resize(text_.size() + 1);
        sums_[0] = 0;
        for (size_t i = 0; i < adv.size(); ++i) {
            sums_[i + 1] = sums_[i] + adv[i];
        }
    }

    const std::u32string& text() const { return text_; }
    double width(size_t a, size_t b) const { return sums_[b] - sums_[a]; }
    // End of [a, b) with trailing spaces dropped.
    size_t contentEnd(size_t a, size_t b) const {
        while (b > a && isSpace(text_[b - 1])) {
            --b;
        }
        return b;
    }
    double contentWidth(size_t a, size_t b) const { return width(a, contentEnd(a, b)); }

private:
    std::u32string text_;
    std::vector<double> sums_;
};

struct Paragraph {
    size_t begin;
    size_t end;
};

std::vector<Paragraph> splitParagraphs(const std::u32string& t) {
    std::vector<Paragraph> out;
    size_t begin = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        if (isLineBreak(t[i])) {
            out.push_back({begin, i});
            if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') {
                ++i;
            }
            begin = i + 1;
        }
    }
    out.push_back({begin, t.size()});
    return out;
}

// Whether a line may break before index k (begin < k < end) under word wrapping.
bool wordBreakBefore(const std::u32string& t, size_t k) {
    const char32_t prev = t[k - 1];
    const char32_t next = t[k];
    return (isSpace(prev) && !isSpace(next)) || prev == '-' || SyntheticMetrics::isWide(prev) ||
           SyntheticMetrics::isWide(next);
}

// The end of the line that starts at s in paragraph [s, end): greedy, always at least one code point.
size_t lineEnd(const Measured& m, size_t s, size_t end, double maxWidth, bool characterWrap) {
    const std::u32string& t = m.text();
    size_t best = s;
    // Content widths only grow with k, so the scan stops at the first code point that overflows.
    for (size_t k = s + 1; k <= end; ++k) {
        if (!fits(m.contentWidth(s, k), maxWidth)) {
            break;
        }
        if (k == end || characterWrap || wordBreakBefore(t, k)) {
            best = k;
        }
    }
    if (best > s) {
        return best;
    }
    // The first word does not fit an empty line: cut it at code points, taking at least one.
    size_t cut = s + 1;
    while (cut < end && fits(m.contentWidth(s, cut + 1), maxWidth)) {
        ++cut;
    }
    while (cut < end && isSpace(t[cut])) {
        ++cut; // spaces after the cut hang at the end of the line, as after any break
    }
    return cut;
}

// The largest n in [0, limit] for which ok(n) holds, given ok is true up to some point and false after
// it; 0 when none holds.
template <class F>
size_t largestFitting(size_t limit, F ok) {
    size_t lo = 0, hi = limit; // answer in [lo, hi]
    while (lo < hi) {
        const size_t mid = lo + (hi - lo + 1) / 2;
        if (ok(mid)) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return lo;
}

// The last visible line [s, end of its paragraph) truncated or clipped to maxWidth.
std::u32string truncateLine(const Measured& m, const TextMetrics& metrics, const Font& font, size_t s, size_t end,
                            size_t wrappedEnd, double maxWidth, LineBreakMode mode) {
    const std::u32string& t = m.text();
    const size_t n = end - s;
    const double ellipsis = metrics.advance(font, kEllipsis);
    std::u32string out;
    switch (mode) {
    case LineBreakMode::TailTruncation: {
        const size_t j = largestFitting(n, [&](size_t j) { return fits(m.width(s, s + j) + ellipsis, maxWidth); });
        out.assign(t, s, j);
        out.push_back(kEllipsis);
        break;
    }
    case LineBreakMode::HeadTruncation: {
        const size_t j = largestFitting(n, [&](size_t j) { return fits(ellipsis + m.width(end - j, end), maxWidth); });
        out.push_back(kEllipsis);
        out.append(t, end - j, j);
        break;
    }
    case LineBreakMode::MiddleTruncation: {
        const auto parts = [](size_t k) { return std::pair<size_t, size_t>{(k + 1) / 2, k / 2}; };
        const size_t k = largestFitting(n, [&](size_t k) {
            auto [head, tail] = parts(k);
            return fits(m.width(s, s + head) + ellipsis + m.width(end - tail, end), maxWidth);
        });
        auto [head, tail] = parts(k);
        out.assign(t, s, head);
        out.push_back(kEllipsis);
        out.append(t, end - tail, tail);
        break;
    }
    default: { // Clip: the longest prefix that fits, never less than the wrapped line
        size_t j = largestFitting(n, [&](size_t j) { return fits(m.contentWidth(s, s + j), maxWidth); });
        j = std::max(j, wrappedEnd - s);
        out.assign(t, s, j);
        break;
    }
    }
    return out;
}

// Width of a line's code points, trailing spaces excluded.
double lineWidth(const TextMetrics& metrics, const Font& font, std::u32string_view line) {
    while (!line.empty() && isSpace(line.back())) {
        line.remove_suffix(1);
    }
    std::vector<double> adv(line.size());
    metrics.advances(font, line, adv);
    double sum = 0;
    for (double a : adv) {
        sum += a;
    }
    return sum;
}

size_t linesThatFit(double height, double lineHeight) {
    if (!(lineHeight > 0)) {
        return SIZE_MAX;
    }
    const double q = std::floor(height / lineHeight + 1e-9);
    if (!(q >= 1)) {
        return 1; // also for NaN
    }
    if (q >= 1e15) {
        return SIZE_MAX;
    }
    return static_cast<size_t>(q);
}

void finish(TextLayout& layout) {
    double widest = 0;
    for (const TextLine& line : layout.lines) {
        widest = std::max(widest, line.width);
    }
    layout.size = Size{ceilPoints(widest), ceilPoints(static_cast<double>(layout.lines.size()) * layout.lineHeight)};
}

} // namespace

TextLayout layoutSingleLine(std::string_view text, const std::shared_ptr<Font>& font) {
    TextLayout layout;
    if (!font) {
        return layout;
    }
    const auto metrics = textMetrics();
    std::u32string cps = codePointsOf(text);
    std::u32string line;
    line.reserve(cps.size());
    for (size_t i = 0; i < cps.size(); ++i) {
        if (isLineBreak(cps[i])) {
            if (cps[i] == '\r' && i + 1 < cps.size() && cps[i + 1] == '\n') {
                ++i;
            }
            line.push_back(' ');
        } else {
            line.push_back(cps[i]);
        }
    }
    std::vector<double> adv(line.size());
    metrics->advances(*font, line, adv);
    double width = 0;
    for (double a : adv) {
        width += a;
    }
    layout.lineHeight = metrics->lineHeight(*font);
    layout.ascender = metrics->ascender(*font);
    layout.lines.push_back({utf8Of(line), width});
    finish(layout);
    return layout;
}

TextLayout layoutText(std::string_view text, const std::shared_ptr<Font>& font, Size constrainedSize,
                      LineBreakMode mode) {
    TextLayout layout;
    if (!font) {
        return layout;
    }
    const auto metrics = textMetrics();
    layout.lineHeight = metrics->lineHeight(*font);
    layout.ascender = metrics->ascender(*font);
    const Measured m(codePointsOf(text), *metrics, *font);
    const std::u32string& t = m.text();
    const double maxWidth = constrainedSize.width;
    const size_t maxLines = linesThatFit(constrainedSize.height, layout.lineHeight);
    const bool characterWrap = mode == LineBreakMode::CharacterWrap;
    const std::vector<Paragraph> paragraphs = splitParagraphs(t);

    for (size_t p = 0; p < paragraphs.size(); ++p) {
        const auto [begin, end] = paragraphs[p];
        size_t s = begin;
        do {
            const size_t e = s == end ? end : lineEnd(m, s, end, maxWidth, characterWrap);
            const bool remains = e < end || p + 1 < paragraphs.size();
            if (layout.lines.size() + 1 == maxLines && remains) {
                if (mode == LineBreakMode::WordWrap || mode == LineBreakMode::CharacterWrap) {
                    layout.lines.push_back({utf8Of(std::u32string_view(t).substr(s, e - s)), m.contentWidth(s, e)});
                } else {
                    const std::u32string line = truncateLine(m, *metrics, *font, s, end, e, maxWidth, mode);
                    layout.lines.push_back({utf8Of(line), lineWidth(*metrics, *font, line)});
                }
                finish(layout);
                return layout;
            }
            layout.lines.push_back({utf8Of(std::u32string_view(t).substr(s, e - s)), m.contentWidth(s, e)});
            s = e;
        } while (s < end);
    }
    finish(layout);
    return layout;
}

Size sizeWithFont(std::string_view text, const std::shared_ptr<Font>& font) {
    return layoutSingleLine(text, font).size;
}

Size sizeWithFont(std::string_view text, const std::shared_ptr<Font>& font, Size constrainedSize, LineBreakMode mode) {
    return layoutText(text, font, constrainedSize, mode).size;
}

double fontSizeThatFits(std::string_view text, const std::shared_ptr<Font>& font, double width,
                        double minimumFontSize) {
    if (!font) {
        return minimumFontSize;
    }
    const double size = font->pointSize();
    if (!std::isfinite(minimumFontSize) || minimumFontSize >= size) {
        return size;
    }
    const auto metrics = textMetrics();
    const std::u32string line = codePointsOf(layoutSingleLine(text, font).lines.front().text);
    const auto fitsAt = [&](double s) { return fits(lineWidth(*metrics, *font->fontWithSize(s), line), width); };
    // Sizes size, size - 1, ... down to the minimum; widths grow with size, so search the steps.
    const double steps = std::floor(size - std::max(minimumFontSize, 0.0));
    if (fitsAt(size)) {
        return size;
    }
    const size_t limit = static_cast<size_t>(std::min(steps, 1e15));
    // The fewest steps down that fit: the largest count of steps that still does not fit, plus one.
    const size_t misses = largestFitting(limit, [&](size_t k) { return k == 0 || !fitsAt(size - double(k)); });
    if (misses < limit) {
        return size - double(misses + 1);
    }
    return minimumFontSize;
}

} // namespace gfx
