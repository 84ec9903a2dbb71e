// UTF-16 views of UTF-8 text: lengths, unit access, cuts, conversions and search.
#include "platform/foundation/utf16.h"

#include <algorithm>
#include <vector>

#include "platform/foundation/case_mapping.h"
#include "platform/foundation/unicode_detail.h"

namespace fnd {
namespace {

using detail::appendUtf8;
using detail::asciiPrefixLength;
using detail::decodeUtf8Step;
using detail::kReplacement;

// How a cut through a surrogate pair is handled.
enum class PairCut { Replace, Drop };

size_t saturatingAdd(size_t a, size_t b) {
    return b > kNotFound - a ? kNotFound : a + b;
}

// The text of UTF-16 units [start, end). Runs of well-formed bytes are copied as they stand;
// ill-formed subparts become U+FFFD.
std::string cut(std::string_view s, size_t start, size_t end, PairCut mode) {
    std::string out;
    if (start >= end) {
        return out;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    size_t ascii = asciiPrefixLength(s.data(), n);
    if (end <= ascii) {
        return std::string(s.substr(start, end - start));
    }
    // The ASCII prefix holds one unit per byte, so the walk can begin at the start of the range.
    size_t pos = std::min(start, ascii);
    size_t unit = pos;
    size_t runStart = kNotFound; // start of well-formed bytes not yet copied
    auto flush = [&](size_t upTo) {
        if (runStart != kNotFound) {
            out.append(s.substr(runStart, upTo - runStart));
            runStart = kNotFound;
        }
    };
    while (pos < n && unit < end) {
        if (p[pos] < 0x80) {
            if (unit >= start && runStart == kNotFound) {
                runStart = pos;
            }
            ++pos;
            ++unit;
            continue;
        }
        const detail::Utf8Step step = decodeUtf8Step(p + pos, n - pos);
        const size_t width = (step.valid && step.codePoint >= 0x10000) ? 2 : 1;
        const bool whole = unit >= start && unit + width <= end;
        if (whole && step.valid) {
            if (runStart == kNotFound) {
                runStart = pos;
            }
        } else {
            flush(pos);
            // Ill-formed bytes inside the range, or the one pair half the range holds.
            const bool partlyInside = unit + width > start && unit < end;
            if (partlyInside && (whole || mode == PairCut::Replace)) {
                appendUtf8(out, kReplacement);
            }
        }
        pos += step.length;
        unit += width;
    }
    flush(pos);
    return out;
}

std::string substring(std::string_view s, Range r, PairCut mode) {
    return cut(s, r.location, saturatingAdd(r.location, r.length), mode);
}

// Code points of a UTF-16 slice with the unit offset of each and a final end offset; lone
// surrogates stand as themselves.
struct CodePoints {
    std::vector<char32_t> points;
    std::vector<size_t> offsets;
};

CodePoints foldedCodePoints(std::u16string_view units, size_t base) {
    CodePoints out;
    out.points.reserve(units.size());
    out.offsets.reserve(units.size() + 1);
    for (size_t i = 0; i < units.size();) {
        char32_t c = units[i];
        size_t width = 1;
        if (detail::isHighSurrogate(c) && i + 1 < units.size() && detail::isLowSurrogate(units[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            width = 2;
        }
        out.points.push_back(detail::foldCodePoint(c));
        out.offsets.push_back(base + i);
        i += width;
    }
    out.offsets.push_back(base + units.size());
    return out;
}

template <typename Sequence>
size_t findIn(const Sequence& hay, const Sequence& needle, bool backwards) {
    auto it = backwards ? std::find_end(hay.begin(), hay.end(), needle.begin(), needle.end())
                        : std::search(hay.begin(), hay.end(), needle.begin(), needle.end());
    if (it == hay.end()) {
        return kNotFound;
    }
    return static_cast<size_t>(it - hay.begin());
}

} // namespace

size_t utf16Length(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    size_t pos = asciiPrefixLength(s.data(), n);
    size_t units = pos;
    while (pos < n) {
        if (p[pos] < 0x80) {
            size_t run = asciiPrefixLength(s.data() + pos, n - pos);
            pos += run;
            units += run;
            continue;
        }
        const detail::Utf8Step step = decodeUtf8Step(p + pos, n - pos);
        units += (step.valid && step.codePoint >= 0x10000) ? 2 : 1;
        pos += step.length;
    }
    return units;
}

char16_t utf16CharAt(std::string_view s, size_t i) {
    const size_t n = s.size();
    if (i >= n) {
        return 0; // UTF-16 never has more units than UTF-8 has bytes
    }
    size_t pos = asciiPrefixLength(s.data(), i + 1);
    if (pos > i) {
        return static_cast<char16_t>(s[i]);
    }
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t unit = pos;
    while (pos < n) {
        const detail::Utf8Step step = decodeUtf8Step(p + pos, n - pos);
        char32_t c = step.codePoint;
        if (c >= 0x10000) {
            if (unit == i) {
                return static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            }
            if (unit + 1 == i) {
                return static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            }
            unit += 2;
        } else {
            if (unit == i) {
                return static_cast<char16_t>(c);
            }
            unit += 1;
        }
        pos += step.length;
    }
    return 0;
}

std::string utf16Substring(std::string_view s, Range r) {
    return substring(s, r, PairCut::Replace);
}

std::string utf16SubstringFrom(std::string_view s, size_t i) {
    return cut(s, i, kNotFound, PairCut::Replace);
}

std::string utf16SubstringSafe(std::string_view s, Range r) {
    return substring(s, r, PairCut::Drop);
}

std::u16string toUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    size_t pos = 0;
    while (pos < n) {
        if (p[pos] < 0x80) {
            out.push_back(p[pos]);
            ++pos;
            continue;
        }
        const detail::Utf8Step step = decodeUtf8Step(p + pos, n - pos);
        detail::appendUtf16(out, step.codePoint);
        pos += step.length;
    }
    return out;
}

std::string fromUtf16(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (detail::isHighSurrogate(c) && i + 1 < units.size() && detail::isLowSurrogate(units[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (detail::isSurrogate(c)) {
            c = kReplacement;
        }
        detail::appendUtf8(out, c);
    }
    return out;
}

Range rangeOfString(std::string_view s, std::string_view needle, Options options, Range within) {
    if (needle.empty()) {
        return Range::notFound();
    }
    const std::u16string hay = toUtf16(s);
    const size_t start = std::min(within.location, hay.size());
    const size_t length = std::min(within.length, hay.size() - start);
    const std::u16string_view slice = std::u16string_view(hay).substr(start, length);
    const bool backwards = hasOption(options, Options::Backwards);

    if (!hasOption(options, Options::CaseInsensitive)) {
        const std::u16string target = toUtf16(needle);
        size_t at = findIn(slice, std::u16string_view(target), backwards);
        return at == kNotFound ? Range::notFound() : Range{start + at, target.size()};
    }
    const CodePoints folded = foldedCodePoints(slice, start);
    const std::u16string target16 = toUtf16(needle);
    const CodePoints target = foldedCodePoints(target16, 0);
    size_t at = findIn(folded.points, target.points, backwards);
    if (at == kNotFound) {
        return Range::notFound();
    }
    const size_t from = folded.offsets[at];
    return Range{from, folded.offsets[at + target.points.size()] - from};
}

void appendUtf8(std::string& out, char32_t cp) {
    detail::appendUtf8(out, cp);
}

} // namespace fnd
